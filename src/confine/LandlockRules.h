// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

// The files a confined program may touch, as Landlock rules: the kernel
// refuses every other file access of the program and of all it starts.
namespace LandlockRules {

// The places of one program. Paths are as the system names them (bytes).
struct Places {
    QByteArrayList reads;    // files and folders it may read
    QByteArrayList writes;   // folders it may create, write and remove files in; files it may write
    QByteArrayList executes; // files it may run, and folders whose programs it may run
};

// The Landlock ABI this kernel offers; 0 where it offers none.
int abi();

// The rules of abi for places, on top of the system's own libraries and
// data, which every program reads: a ruleset descriptor (close-on-exec), or
// -1 with problem set.
int ruleset(int abi, const Places& places, QString* problem);

// In the child, between fork and exec: restricts the process to the rules.
// Only system calls; false with errno set when the kernel refused.
bool restrictSelf(int ruleset);

} // namespace LandlockRules
