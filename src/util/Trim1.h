// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// Text-only path helpers: they never touch the file system, and the platform's
// one separator is the only one they know ("/" and ":" are ordinary letters on
// Windows, "\" is one here).
namespace Trim1 {

// The text after the last separator; the whole argument when it has none.
QString FileNamePart(const QString& path);

// The text before the last "."; a string without "." comes back unchanged.
QString StripExtension(const QString& text);

// The text up to and including the last separator; empty when there is none.
QString FolderPart(const QString& path);

// Every pair of adjacent separators becomes one, in a single left-to-right pass
// without overlap: three in a row become two. The two that begin a Windows
// network path ("\\server\share") stay.
QString collapseDoubledSeparators(const QString& path);

} // namespace Trim1
