// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

// What a started program gets of the system beyond files: the descriptors
// it inherits, its privileges and capabilities, and how much memory, file
// size, processes and core dumps it may have.
namespace ChildLimits {

struct Limits {
    quint64 memory = 0;   // address space in bytes; 0: as it is
    quint64 fileSize = 0; // the largest file it may write; 0: as it is
    int processes = 0;    // processes of its own at most; 0: as it is
};

// The most memory a confined program may take up: a quarter of the
// machine's, but at least 1 GiB. 0 where there is no such limit.
quint64 memoryLimit();

// In the child, between fork and exec; only system calls. Each returns 0,
// or the errno of the call that failed.

// Every descriptor but standard input, output and error is closed as the
// program starts: whatever Orvalin was handed without close-on-exec (a file
// on descriptor 3, a terminal) never reaches it.
int closeInheritedDescriptors();
// No new privileges, ever, for it and all it starts.
int refuseNewPrivileges();
// No core dumps, and the limits. A write past the file size fails rather
// than ending the program.
int applyLimits(const Limits& limits);
// Whatever capabilities the process holds (as root, or in a namespace of
// its own) are given up for good: the bounding set is dropped and every
// set emptied, so no program it runs gets one back.
int dropCapabilities();

} // namespace ChildLimits
