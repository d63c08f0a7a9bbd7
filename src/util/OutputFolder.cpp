// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "OutputFolder.h"

#include "Platform.h"
#include "Trim1.h"

#include <QDir>

namespace OutputFolder {

Resolved resolve(const QString& text)
{
    QString folder = text;
    while (!folder.isEmpty() && folder.back().isSpace())
        folder.chop(1);
    if (folder.isEmpty())
        return {QString(), QStringLiteral("no output folder is given")};
    // Windows takes "/" as well; the run's path functions know its own "\" alone.
    folder = QDir::toNativeSeparators(folder);

    if (folder.startsWith(QLatin1Char('~')) && (folder.size() == 1 || Platform::isSeparator(folder.at(1))))
        folder = QDir::toNativeSeparators(QDir::homePath()) + Platform::separator() + folder.mid(2);
    // Qt counts "C:out" and "\\out" as absolute on Windows, but both depend
    // on a current folder; and a leading ":" means one of Qt's own resources.
    if (!Platform::isFullPath(folder))
        return {QString(), QStringLiteral("the output folder must be a full path")};

    if (!Platform::isSeparator(folder.back()))
        folder += Platform::separator();
    return {Trim1::collapseDoubledSeparators(folder), QString()};
}

} // namespace OutputFolder
