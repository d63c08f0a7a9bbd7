// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The system calls a confined program may not make, as a seccomp filter:
// sockets of every kind (Landlock knows TCP at most, and a Unix socket
// reaches the session's bus, which starts programs of its own); changes to
// the permissions, owners, times and extended attributes of files, which
// Landlock does not cover; SysV IPC and POSIX message queues, which reach
// other processes; watching files; typing into a terminal; the kernel
// interfaces no image program needs; and clearing the death signal that
// ties the program to Orvalin. A program that starts no programs of its own
// may not create processes either, so nothing it does outlives it.
//
// Made once per kind, in this process, by libseccomp: no filter is written
// by hand.
namespace SeccompFilter {

enum class Kind {
    SingleProcess, // no processes of its own (threads only)
    ProcessTree,   // processes of its own, contained by other means
};

// True when this build and system can filter system calls.
bool offered();

// The filter program of kind, as the kernel takes it; nullptr when there is
// none here.
const void* program(Kind kind);

// In the child, between fork and exec: applies program. Only system calls;
// false with errno set when the kernel refused.
bool install(const void* program);

} // namespace SeccompFilter
