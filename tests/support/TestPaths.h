// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "util/Platform.h"

#include <QDir>
#include <QFile>
#include <QString>

// Paths as the tests write them, with the program's own separator.
namespace TestPaths {

// The platform's one separator, as a string.
inline QString sep()
{
    return Platform::separatorString();
}

// A path written with "\" standing for the platform's separator.
inline QString nativePath(const char* text)
{
    return QString::fromUtf8(text).replace(QLatin1Char('\\'), Platform::separator());
}

inline QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The path with the platform's separators and one more at its end.
inline QString withSeparator(const QString& path)
{
    return native(path) + Platform::separator();
}

// Makes an empty file; false when it cannot be made.
[[nodiscard]] inline bool touch(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

} // namespace TestPaths
