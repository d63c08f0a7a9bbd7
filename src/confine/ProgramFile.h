// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

// What the system runs when it starts a program file, which the program's
// confinement must let it read and execute: a native executable with the
// loader it names and the folders its libraries come from, or a script with
// the interpreter its first line names.
struct ProgramFile {
    enum class Kind {
        Native, // an executable of this system
        Script, // "#!" and an interpreter
        Other,  // nothing the system runs
    };
    Kind kind = Kind::Other;
    QByteArray loader;      // of a native executable (PT_INTERP); empty for a static one
    QByteArray interpreter; // of a script, as its first line names it
    // The folders outside the system's own that the loader takes libraries
    // from for it and for its libraries in turn: their RUNPATH and RPATH
    // folders ($ORIGIN filled in), and those of LD_LIBRARY_PATH.
    QByteArrayList libraryFolders;

    // The file at path, read once for as long as it stays the same file.
    static ProgramFile of(const QString& path);
    // The same, read from the file's start, the folders with libraries
    // looked for as the loader would with libraryPath as LD_LIBRARY_PATH.
    static ProgramFile read(const QString& path, const QByteArray& libraryPath);
};
