#pragma once

#include <QCursor>
#include <QString>

namespace CursorFile {

// A pointer from a cursor (.cur) or icon (.ico) file. A cursor keeps the hot
// spot the file gives; an icon's hot spot is its centre. Returns false when
// the file cannot be read as a picture.
bool Load(const QString& path, QCursor* cursor);

} // namespace CursorFile
