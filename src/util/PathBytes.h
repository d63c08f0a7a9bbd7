// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

// Paths as the system keeps them: bytes. Qt reads them as text (UTF-8 here),
// and a byte that is no UTF-8 becomes U+FFFD, which names another path or
// none at all. Such a path is never worked on: it is named, with the bytes
// that are no text written as \xNN, so that the user can find it.
namespace PathBytes {

// True when the bytes read as text and written back are the same bytes.
bool isText(const QByteArray& bytes);

// True when the bytes are UTF-8, as the path of a file's address always is
// where the file's name is text.
bool isUtf8(const QByteArray& bytes);

// The path for the eye: what is text as text, every other byte as \xNN.
QString escaped(const QByteArray& bytes);

// The problem line for such a path, the same in the window and on the command
// line: "/in/a\xff.pdf: the path is not valid UTF-8, so it was passed over."
QString problemLine(const QByteArray& bytes);

} // namespace PathBytes
