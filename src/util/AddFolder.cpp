// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AddFolder.h"

#include "Platform.h"

#include <QDir>
#include <QDirIterator>
#include <QHash>
#include <QRegularExpression>

namespace AddFolder {

QStringList ListFiles(const QString& folder, const QString& pattern)
{
    QString path = folder;
    if (!path.endsWith(Platform::separator()))
        path += Platform::separator();

    QDir::Filters filters = QDir::Files | QDir::Hidden;
#ifdef Q_OS_WIN
    // Files with the system attribute count as files there; on other systems
    // "system" means sockets and devices, which are never wanted.
    filters |= QDir::System;
#endif
    // The pattern is compiled once, not once per folder: a folder scan lists
    // thousands of folders with the same pattern.
    thread_local QHash<QString, QRegularExpression> compiled;
    auto found = compiled.find(pattern);
    if (found == compiled.end())
        found = compiled.insert(pattern, QRegularExpression::fromWildcard(pattern, Qt::CaseInsensitive));
    const QRegularExpression& match = *found;

    QStringList names;
    QDirIterator it(path, filters);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (match.match(name).hasMatch())
            names.append(name);
    }
    Platform::orderListing(names);
    return names;
}

} // namespace AddFolder
