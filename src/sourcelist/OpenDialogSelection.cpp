// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "OpenDialogSelection.h"

#include "util/Platform.h"
#include "util/Trim1.h"

#include <QDir>
#include <QFileInfo>

namespace OpenDialogSelection {

QStringList rows(const QString& fileName)
{
    if (fileName.isEmpty())
        return {};
    const QStringList parts = fileName.split(QChar(0));
    if (parts.size() == 1)
        return parts;
    QStringList rows;
    for (qsizetype i = 1; i < parts.size(); ++i)
        // Files on different drives share no folder: their names are whole paths.
        rows.append(parts.at(0).isEmpty()
                        ? parts.at(i)
                        : Trim1::collapseDoubledSeparators(parts.at(0) + Platform::separator() + parts.at(i)));
    return rows;
}

namespace {

// The deepest folder that holds all the paths ("/"-separated, absolute), or
// the empty string when they share none (different drives).
QString commonFolder(const QStringList& paths)
{
    QStringList common = QFileInfo(paths.constFirst()).absolutePath().split(QLatin1Char('/'));
    for (const QString& path : paths) {
        const QStringList folder = QFileInfo(path).absolutePath().split(QLatin1Char('/'));
        qsizetype same = 0;
        while (same < common.size() && same < folder.size() && common.at(same) == folder.at(same))
            ++same;
        common = common.mid(0, same);
    }
    if (common.isEmpty())
        return QString();
    const QString joined = common.join(QLatin1Char('/'));
    // A root: "/" here, "C:/" on Windows.
    return common.size() == 1 ? joined + QLatin1Char('/') : joined;
}

} // namespace

QString compose(const QStringList& chosenPaths)
{
    if (chosenPaths.isEmpty())
        return QString();
    if (chosenPaths.size() == 1)
        return QDir::toNativeSeparators(chosenPaths.constFirst());
    // Files chosen from several folders (the dialog's search and recent views
    // allow it) are named from the folder they share, so each keeps its own.
    const QString folder = commonFolder(chosenPaths);
    const QDir base(folder);
    QString answer = QDir::toNativeSeparators(folder);
    for (const QString& path : chosenPaths)
        answer +=
            QChar(0)
            + QDir::toNativeSeparators(folder.isEmpty() ? QFileInfo(path).absoluteFilePath()
                                                        : base.relativeFilePath(QFileInfo(path).absoluteFilePath()));
    return answer;
}

} // namespace OpenDialogSelection
