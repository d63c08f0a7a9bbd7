// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCursor>
#include <QString>

namespace CursorFile {

// A pointer from a cursor (.cur) or icon (.ico) file. A file may hold the
// picture in several sizes, the smallest for screens at 1x: the size drawn
// for devicePixelRatio is taken (or the nearest larger, else the largest), so
// that the pointer stays sharp on high-density screens. A cursor keeps the
// hot spot the file gives; an icon's hot spot is its centre. Returns false
// when the file cannot be read as a picture.
bool load(const QString& path, QCursor* cursor, qreal devicePixelRatio = 1.0);

} // namespace CursorFile
