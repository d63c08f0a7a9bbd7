// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ProgramFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>

#ifdef Q_OS_LINUX
#include <elf.h>
#include <sys/stat.h>

#include <climits>
#include <cstring>
#endif

#ifdef Q_OS_LINUX
namespace {

// What the loader learns of an executable or a library from its headers.
struct Elf {
    bool ok = false;
    QByteArray loader; // PT_INTERP
    QByteArrayList needed;
    QByteArray runpath;
    QByteArray rpath;
};

// A string of the file at offset, up to its NUL.
QByteArray stringAt(QFile& file, qint64 offset)
{
    if (offset < 0 || !file.seek(offset))
        return {};
    const QByteArray bytes = file.read(PATH_MAX);
    const qsizetype end = bytes.indexOf('\0');
    return end < 0 ? QByteArray() : bytes.left(end);
}

template <typename FileHeader, typename ProgramHeader, typename Dynamic>
Elf readElf(QFile& file, const QByteArray& head)
{
    Elf elf;
    FileHeader header;
    if (head.size() < qsizetype(sizeof(header)))
        return elf;
    std::memcpy(&header, head.constData(), sizeof(header));
    QList<ProgramHeader> segments;
    for (int i = 0; i < header.e_phnum && i < 256; ++i) {
        ProgramHeader segment;
        if (!file.seek(qint64(header.e_phoff) + qint64(i) * header.e_phentsize)
            || file.read(reinterpret_cast<char*>(&segment), sizeof(segment)) != qint64(sizeof(segment)))
            return elf;
        segments.append(segment);
    }
    // Addresses of the dynamic section are where the file is loaded.
    const auto offsetOf = [&segments](quint64 address) -> qint64 {
        for (const ProgramHeader& segment : segments)
            if (segment.p_type == PT_LOAD && address >= segment.p_vaddr && address < segment.p_vaddr + segment.p_filesz)
                return qint64(address - segment.p_vaddr + segment.p_offset);
        return -1;
    };
    for (const ProgramHeader& segment : segments) {
        if (segment.p_type == PT_INTERP) {
            if (segment.p_filesz > PATH_MAX)
                return elf;
            elf.loader = stringAt(file, qint64(segment.p_offset));
            if (elf.loader.isEmpty())
                return elf;
        }
        if (segment.p_type != PT_DYNAMIC || segment.p_filesz > 64 * 1024 || !file.seek(qint64(segment.p_offset)))
            continue;
        const QByteArray table = file.read(qint64(segment.p_filesz));
        quint64 strings = 0;
        QList<quint64> needed;
        qint64 runpath = -1;
        qint64 rpath = -1;
        for (qsizetype at = 0; at + qsizetype(sizeof(Dynamic)) <= table.size(); at += sizeof(Dynamic)) {
            Dynamic entry;
            std::memcpy(&entry, table.constData() + at, sizeof(entry));
            if (entry.d_tag == DT_NULL)
                break;
            if (entry.d_tag == DT_STRTAB)
                strings = entry.d_un.d_val;
            else if (entry.d_tag == DT_NEEDED && needed.size() < 256)
                needed.append(entry.d_un.d_val);
            else if (entry.d_tag == DT_RUNPATH)
                runpath = qint64(entry.d_un.d_val);
            else if (entry.d_tag == DT_RPATH)
                rpath = qint64(entry.d_un.d_val);
        }
        const qint64 base = offsetOf(strings);
        if (base < 0)
            continue;
        for (const quint64 name : needed)
            elf.needed.append(stringAt(file, base + qint64(name)));
        if (runpath >= 0)
            elf.runpath = stringAt(file, base + runpath);
        if (rpath >= 0)
            elf.rpath = stringAt(file, base + rpath);
    }
    elf.ok = true;
    return elf;
}

Elf readElf(QFile& file, const QByteArray& head)
{
    if (head.size() < EI_NIDENT || !head.startsWith(ELFMAG))
        return {};
    if (head.at(EI_CLASS) == ELFCLASS64)
        return readElf<Elf64_Ehdr, Elf64_Phdr, Elf64_Dyn>(file, head);
    if (head.at(EI_CLASS) == ELFCLASS32)
        return readElf<Elf32_Ehdr, Elf32_Phdr, Elf32_Dyn>(file, head);
    return {};
}

Elf readElf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return readElf(file, file.read(sizeof(Elf64_Ehdr)));
}

// The interpreter of a "#!" line: its first word, as the kernel reads it.
QByteArray interpreterOf(const QByteArray& head)
{
    const qsizetype end = head.indexOf('\n');
    if (end < 0)
        return {};
    const QByteArray line = head.mid(2, end - 2).trimmed();
    qsizetype word = 0;
    while (word < line.size() && line.at(word) != ' ' && line.at(word) != '\t')
        ++word;
    return line.left(word);
}

// The folders of a search path, "$ORIGIN" filled in with origin; only full
// paths, as the loader takes no other from a program it runs for us.
QByteArrayList foldersOf(const QByteArray& searchPath, const QByteArray& origin)
{
    QByteArrayList folders;
    for (QByteArray folder : searchPath.split(':')) {
        folder.replace("${ORIGIN}", origin).replace("$ORIGIN", origin);
        if (folder.startsWith('/') && !folder.contains('$'))
            folders.append(folder);
    }
    return folders;
}

// The system's own libraries need nothing beyond what every program reads.
bool isSystemLibrary(const QByteArray& path)
{
    for (const char* system : {"/usr/", "/lib/", "/lib32/", "/lib64/", "/libx32/"})
        if (path.startsWith(system))
            return true;
    return false;
}

// The folders the loader takes the libraries of elf (at path) from, and
// those of its libraries in turn.
QByteArrayList libraryFoldersOf(const QString& path, const Elf& program, const QByteArray& libraryPath)
{
    constexpr int kMostLibraries = 256;
    QByteArrayList folders;
    QSet<QByteArray> seen;
    QList<std::pair<QByteArray, Elf>> queue{{QFile::encodeName(QFileInfo(path).canonicalFilePath()), program}};
    for (qsizetype i = 0; i < queue.size() && i < kMostLibraries; ++i) {
        const auto [file, elf] = queue.at(i);
        const QByteArray origin = file.left(file.lastIndexOf('/'));
        // The loader's order: RPATH (when there is no RUNPATH), then
        // LD_LIBRARY_PATH, then RUNPATH.
        QByteArrayList search = elf.runpath.isEmpty() ? foldersOf(elf.rpath, origin) : QByteArrayList();
        search += foldersOf(libraryPath, origin);
        search += foldersOf(elf.runpath, origin);
        for (const QByteArray& folder : std::as_const(search))
            if (!folders.contains(folder) && !isSystemLibrary(folder + '/'))
                folders.append(folder);
        for (const QByteArray& name : elf.needed) {
            if (name.contains('/') || seen.contains(name))
                continue;
            for (const QByteArray& folder : std::as_const(search)) {
                const QByteArray library = folder + '/' + name;
                if (isSystemLibrary(library) || !QFileInfo::exists(QFile::decodeName(library)))
                    continue;
                seen.insert(name);
                const QString real = QFileInfo(QFile::decodeName(library)).canonicalFilePath();
                queue.append({QFile::encodeName(real), readElf(real)});
                break;
            }
        }
    }
    return folders;
}

} // namespace
#endif

ProgramFile ProgramFile::read(const QString& path, const QByteArray& libraryPath)
{
    ProgramFile program;
#ifdef Q_OS_LINUX
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return program;
    // The kernel reads at most this much of a "#!" line.
    constexpr qint64 kHead = 256;
    const QByteArray head = file.read(qMax<qint64>(kHead, sizeof(Elf64_Ehdr)));
    if (head.startsWith("#!")) {
        program.interpreter = interpreterOf(head);
        if (program.interpreter.startsWith('/'))
            program.kind = Kind::Script;
        program.libraryFolders = foldersOf(libraryPath, QByteArray());
        return program;
    }
    const Elf elf = readElf(file, head);
    if (!elf.ok)
        return program;
    program.kind = Kind::Native;
    program.loader = elf.loader;
    program.libraryFolders = libraryFoldersOf(path, elf, libraryPath);
#else
    Q_UNUSED(path);
    Q_UNUSED(libraryPath);
#endif
    return program;
}

ProgramFile ProgramFile::of(const QString& path)
{
    const QByteArray libraryPath = qgetenv("LD_LIBRARY_PATH");
#ifdef Q_OS_LINUX
    struct Known {
        dev_t device;
        ino_t inode;
        timespec modified;
        QByteArray libraryPath;
        ProgramFile program;
    };
    static QMutex mutex;
    static QHash<QString, Known> known;
    struct stat status {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return read(path, libraryPath);
    const QMutexLocker lock(&mutex);
    const auto it = known.constFind(path);
    if (it != known.cend() && it->device == status.st_dev && it->inode == status.st_ino
        && it->modified.tv_sec == status.st_mtim.tv_sec && it->modified.tv_nsec == status.st_mtim.tv_nsec
        && it->libraryPath == libraryPath)
        return it->program;
    const ProgramFile program = read(path, libraryPath);
    known.insert(path, {status.st_dev, status.st_ino, status.st_mtim, libraryPath, program});
    return program;
#else
    return read(path, libraryPath);
#endif
}
