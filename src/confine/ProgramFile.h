// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

// What the system runs when it starts a program file, which the program's
// confinement must let it read and execute: a native executable with the
// loader it names, or a script with the interpreter its first line names.
struct ProgramFile {
    enum class Kind {
        Native, // an executable of this system
        Script, // "#!" and an interpreter
        Other,  // nothing the system runs
    };
    Kind kind = Kind::Other;
    QByteArray loader;      // of a native executable (PT_INTERP); empty for a static one
    QByteArray interpreter; // of a script, as its first line names it

    // The file at path, read once for as long as it stays the same file.
    static ProgramFile of(const QString& path);
    // The same, read from the file's start.
    static ProgramFile read(const QString& path);
};
