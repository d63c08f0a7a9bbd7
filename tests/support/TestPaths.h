// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: LicenseRef-proprietary

#pragma once

#include "util/Platform.h"

#include <QDir>
#include <QFile>
#include <QString>

// Paths as the tests write them, with the program's own separator.
namespace TestPaths {

// The platform's one separator, as a string.
inline QString Sep()
{
    return Platform::SeparatorString();
}

// A path written with "\" standing for the platform's separator.
inline QString P(const char* text)
{
    return QString::fromUtf8(text).replace(QLatin1Char('\\'), Platform::Separator());
}

inline QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The path with the platform's separators and one more at its end.
inline QString WithSeparator(const QString& path)
{
    return Native(path) + Platform::Separator();
}

// Makes an empty file; false when it cannot be made.
[[nodiscard]] inline bool Touch(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

} // namespace TestPaths
