// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Nothing a started program starts outlives it, or Orvalin.
//
// Every program dies with the process that started it, however that one
// ends: the kernel sends it SIGKILL, and the system-call filter keeps it
// from clearing that death signal. A program that starts none of its own
// (the tools themselves) is refused new processes by the same filter, so
// it is all there is. A program that must start others (a wrapper script
// that runs a tool) runs as the first process of a PID namespace of its
// own, under a small waiter that stands in for it: when it ends, or the
// waiter is killed, the kernel ends every process of the namespace, those
// that left its session or cleared their own death signal included.
namespace ProcessContainment {

// True when this system lets an ordinary process make a PID namespace (in
// a user namespace of its own), asked once by trying.
bool treesOffered();

// In the child, between fork and exec; only system calls. Each returns 0,
// or the errno of the call that failed.

// Ties the calling process's life to parent's, and ends it at once when
// parent is gone already.
int tieToParent(long long parent);

// Makes the rest of the start, and the program, the first process of a new
// PID namespace. Returns in that process; the calling process stays behind
// as its waiter and never returns: it ends as the program ends, with the
// same exit status or signal.
int enterOwnTree();

} // namespace ProcessContainment
