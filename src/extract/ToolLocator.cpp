// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ToolLocator.h"

#include "util/Platform.h"

#include <QFileInfo>
#include <QStandardPaths>

ToolLocator::ToolLocator(QString applicationFolder, bool searchPath)
    : m_applicationFolder(std::move(applicationFolder))
    , m_searchPath(searchPath)
{
}

QString ToolLocator::find(const QString& baseName) const
{
    const QString name = Platform::executableName(baseName);
    if (!m_applicationFolder.isEmpty()) {
        const QFileInfo local(m_applicationFolder + Platform::separator() + name);
        if (local.isFile() && local.isExecutable())
            return local.filePath();
    }
    return m_searchPath ? QStandardPaths::findExecutable(name) : QString();
}

ToolLocator::Tools ToolLocator::findTools() const
{
    Tools tools{find(QStringLiteral("pdfimages")), find(QStringLiteral("cjpeg")), QString()};
    if (tools.extractor.isEmpty())
        tools.problem = QStringLiteral("the image extractor (pdfimages) was not found");
    else if (tools.encoder.isEmpty())
        tools.problem = QStringLiteral("the JPEG encoder (cjpeg) was not found");
    return tools;
}
