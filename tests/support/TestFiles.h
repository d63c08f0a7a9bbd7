// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QString>
#include <QStringList>

// What the tests look at in folders, and the folders of tools they set up.
namespace TestFiles {

inline QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

[[nodiscard]] inline bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// Everything in a folder, hidden entries included: what a run leaves behind.
inline QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The files of a folder by name, with their bytes.
inline QHash<QString, QByteArray> snapshot(const QString& folder)
{
    QHash<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, contents(QDir(folder).filePath(name)));
    return files;
}

// The run's hidden work folders in folder.
inline QStringList workFolders(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral(".orvalin-*")}, QDir::Dirs | QDir::Hidden);
}

// The JPEG files of folder that are empty or cut short: without the marker
// that ends every whole JPEG stream.
inline QStringList unfinishedJpegs(const QString& folder)
{
    QStringList unfinished;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name))
        if (!contents(QDir(folder).filePath(name)).endsWith(QByteArray("\xff\xd9", 2)))
            unfinished.append(name);
    return unfinished;
}

// Makes folder a folder of tools: each name a copy of its program, or a
// link to it. Returns the folder.
inline QString toolFolder(const QString& folder, const QHash<QString, QString>& programs, bool copies)
{
    QDir().mkpath(folder);
    for (auto it = programs.cbegin(); it != programs.cend(); ++it) {
        const QString tool = QDir(folder).filePath(it.key());
        QFile::remove(tool);
        if (copies)
            QFile::copy(it.value(), tool);
        else
            QFile::link(it.value(), tool);
    }
    return folder;
}

// The arguments of unshare that run the shell command with a file system of
// its own at folder ("$1" in command): a tmpfs mounted with options
// ("size=4k", "ro"), seen by nothing else and gone when command ends. The
// further arguments are "$2" and on. Exits with 99 where no mount namespace
// can be had.
inline QStringList onFileSystemOfItsOwn(const QString& folder, const QString& options, const QString& command,
                                        const QStringList& arguments = {})
{
    return QStringList{QStringLiteral("-rm"),
                       QStringLiteral("sh"),
                       QStringLiteral("-c"),
                       QStringLiteral("mount -t tmpfs -o %1 none \"$1\" || exit 99; %2").arg(options, command),
                       QStringLiteral("sh"),
                       folder}
           + arguments;
}

} // namespace TestFiles
