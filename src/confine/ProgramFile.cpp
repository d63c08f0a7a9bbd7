// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ProgramFile.h"

#include <QFile>
#include <QHash>
#include <QMutex>

#ifdef Q_OS_LINUX
#include <elf.h>
#include <sys/stat.h>

#include <climits>
#include <cstring>
#endif

#ifdef Q_OS_LINUX
namespace {

// The loader that an executable names (PT_INTERP); empty for one that needs
// none. False for a file that is no executable of this system.
bool readLoader(QFile& file, const QByteArray& head, QByteArray* loader)
{
    const auto readHeaders = [&](auto fileHeader, auto programHeader) {
        using FileHeader = decltype(fileHeader);
        using ProgramHeader = decltype(programHeader);
        if (head.size() < qsizetype(sizeof(FileHeader)))
            return false;
        std::memcpy(&fileHeader, head.constData(), sizeof(FileHeader));
        for (int i = 0; i < fileHeader.e_phnum; ++i) {
            if (!file.seek(qint64(fileHeader.e_phoff) + qint64(i) * fileHeader.e_phentsize)
                || file.read(reinterpret_cast<char*>(&programHeader), sizeof(ProgramHeader))
                       != qint64(sizeof(ProgramHeader)))
                return false;
            if (programHeader.p_type != PT_INTERP)
                continue;
            if (programHeader.p_filesz > PATH_MAX || !file.seek(qint64(programHeader.p_offset)))
                return false;
            *loader = file.read(qint64(programHeader.p_filesz));
            const qsizetype end = loader->indexOf('\0');
            if (end >= 0)
                loader->truncate(end);
            return !loader->isEmpty();
        }
        return true;
    };
    loader->clear();
    if (head.at(EI_CLASS) == ELFCLASS64)
        return readHeaders(Elf64_Ehdr{}, Elf64_Phdr{});
    if (head.at(EI_CLASS) == ELFCLASS32)
        return readHeaders(Elf32_Ehdr{}, Elf32_Phdr{});
    return false;
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

} // namespace
#endif

ProgramFile ProgramFile::read(const QString& path)
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
    } else if (head.size() >= EI_NIDENT && head.startsWith(ELFMAG) && readLoader(file, head, &program.loader)) {
        program.kind = Kind::Native;
    }
#else
    Q_UNUSED(path);
#endif
    return program;
}

ProgramFile ProgramFile::of(const QString& path)
{
#ifdef Q_OS_LINUX
    struct Known {
        dev_t device;
        ino_t inode;
        timespec modified;
        ProgramFile program;
    };
    static QMutex mutex;
    static QHash<QString, Known> known;
    struct stat status {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return read(path);
    const QMutexLocker lock(&mutex);
    const auto it = known.constFind(path);
    if (it != known.cend() && it->device == status.st_dev && it->inode == status.st_ino
        && it->modified.tv_sec == status.st_mtim.tv_sec && it->modified.tv_nsec == status.st_mtim.tv_nsec)
        return it->program;
    const ProgramFile program = read(path);
    known.insert(path, {status.st_dev, status.st_ino, status.st_mtim, program});
    return program;
#else
    return read(path);
#endif
}
