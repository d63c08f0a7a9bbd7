// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "util/Platform.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

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

// A full path written as on Linux with "\" for the separator; Windows puts
// drive C: in front.
inline QString fullPath(const char* text)
{
    QString path = nativePath(text);
#ifdef Q_OS_WIN
    if (path.startsWith(Platform::separator()))
        path.prepend(QStringLiteral("C:"));
#endif
    return path;
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

#ifdef Q_OS_UNIX
// Makes an empty file whose path is given as bytes, which need not be text;
// Qt can neither make nor remove such a file.
[[nodiscard]] inline bool touchBytes(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    return fd >= 0 && ::close(fd) == 0;
}
inline void removeBytes(const QByteArray& path)
{
    ::unlink(path.constData());
}
#endif

// Puts program into folder under the name of a tool (".exe" added on
// Windows): a link here, a copy on Windows, where links are shortcut files.
// True when the tool is there, put there before included.
[[nodiscard]] inline bool placeProgram(const QString& program, const QString& folder, const QString& baseName)
{
    const QString target = folder + QLatin1Char('/') + Platform::executableName(baseName);
    if (QFile::exists(target))
        return true;
#ifdef Q_OS_WIN
    return QFile::copy(program, target);
#else
    return QFile::link(program, target);
#endif
}

// The names, all in folder, in the order a listing of folder gives them: on
// Windows the order of the system's own directory search; elsewhere names
// as given, in natural order.
inline QStringList inListingOrder(const QString& folder, const QStringList& names)
{
#ifdef Q_OS_WIN
    QStringList ordered;
    WIN32_FIND_DATAW found;
    const std::wstring pattern = QDir::toNativeSeparators(folder + QStringLiteral("/*")).toStdWString();
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (names.contains(name))
            ordered.append(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return ordered;
#else
    Q_UNUSED(folder);
    return names;
#endif
}

} // namespace TestPaths
