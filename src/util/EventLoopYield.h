// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>

// A yield for long work on the window's thread: called as often as the work
// likes, it lets the event loop run once every few milliseconds. Handing the
// loop a turn costs far more than a small step of work, and a turn every few
// milliseconds keeps the window as lively as one per step.
std::function<void()> eventLoopYield();
