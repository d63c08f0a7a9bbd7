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
// that runs a tool) starts them in a PID namespace of its own, kept by a
// small first process of ours that dies with the program: when the program
// ends, or is killed, the kernel ends every process of the namespace, those
// that left its session or cleared their own death signal included. The
// program itself stays the process its runner started, so the runner waits
// for it alone and learns of its end at once.
namespace ProcessContainment {

// True when this system lets an ordinary process make a PID namespace (in
// a user namespace of its own), asked once by trying.
bool treesOffered();

// In the child, between fork and exec; only system calls. Each returns 0,
// or the errno of the call that failed.

// Ties the calling process's life to parent's, and ends it at once when
// parent is gone already.
int tieToParent(long long parent);

// Makes every process the program starts a process of a new PID namespace,
// which ends with the calling process.
int enterOwnTree();

} // namespace ProcessContainment
