// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: LicenseRef-proprietary

#include "OutputFolder.h"

#include "Platform.h"
#include "Trim1.h"

#include <QDir>

namespace OutputFolder {

namespace {

bool IsSeparator(QChar c)
{
    // Windows takes "/" as well as its own separator.
    return c == Platform::Separator() || c == QLatin1Char('/');
}

} // namespace

Resolved Resolve(const QString& text)
{
    QString folder = text;
    while (!folder.isEmpty() && folder.back().isSpace())
        folder.chop(1);
    if (folder.isEmpty())
        return {QString(), QStringLiteral("no output folder is given")};

    if (folder.startsWith(QLatin1Char('~')) && (folder.size() == 1 || IsSeparator(folder.at(1))))
        folder = QDir::toNativeSeparators(QDir::homePath()) + Platform::Separator() + folder.mid(2);
    // A leading ":" means one of Qt's own resources to QDir, never a folder.
    if (folder.startsWith(QLatin1Char(':')) || !QDir::isAbsolutePath(folder))
        return {QString(), QStringLiteral("the output folder must be a full path")};

    if (!IsSeparator(folder.back()))
        folder += Platform::Separator();
    return {Trim1::CollapseDoubledSeparators(folder), QString()};
}

} // namespace OutputFolder
