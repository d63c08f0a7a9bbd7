// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Shell32.h"

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

} // namespace BackgroundWork
