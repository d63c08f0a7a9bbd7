// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Trim1.h"

#include "Platform.h"

namespace Trim1 {

QString FileNamePart(const QString& path)
{
    const qsizetype p = path.lastIndexOf(Platform::separator());
    return path.mid(p + 1);
}

QString StripExtension(const QString& text)
{
    const qsizetype d = text.lastIndexOf(QLatin1Char('.'));
    // A name without a dot has no extension to strip: a file dropped without
    // one keeps its whole name as base name.
    return d < 0 ? text : text.left(d);
}

QString FolderPart(const QString& path)
{
    const qsizetype p = path.lastIndexOf(Platform::separator());
    return path.left(p + 1);
}

QString collapseDoubledSeparators(const QString& path)
{
    const QString single = Platform::separatorString();
    // A network path's two leading separators are its root, not a double.
    const qsizetype root = Platform::isNetworkPath(path) ? 2 : 0;
    // QString::replace finds its matches in the original text only, so this is
    // one pass that never rescans what it has just written.
    return path.left(root) + path.mid(root).replace(single + single, single);
}

} // namespace Trim1
