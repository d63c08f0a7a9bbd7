// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Shell32.h"

#include <QtGlobal>

#include <atomic>
#include <functional>

// File work of gigabytes (the work copy of a huge PDF, a page-sized black and
// white image) done on a thread of its own while this thread's event loop
// runs, so the window keeps answering: a single write can be held up by the
// system for a good part of a second when the disk falls behind.
namespace BackgroundWork {

// Runs work and returns its result once it is done. work should look at the
// flag it is handed between pieces and give up once it is raised: stopper's
// stop() raises it and waits for work to end. False at once when stopper was
// stopped before.
bool run(const std::function<bool(const std::atomic_bool& stop)>& work, Shell32::Stopper* stopper);

// Work of up to this many bytes is done on the calling thread: a thread and
// a wait would cost more than the work.
constexpr qint64 kInPlaceBytes = 1024 * 1024;

// As run(), for work on about bytes bytes: on this thread when they are few.
bool run(qint64 bytes, const std::function<bool(const std::atomic_bool& stop)>& work, Shell32::Stopper* stopper);

} // namespace BackgroundWork
