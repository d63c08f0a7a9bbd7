// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The mouse pointers of the window and the source list, under the numbers
// their MousePointer property has always had, so that a pointer read back
// compares with the one that was set.
enum class Pointer {
    Default = 0,    // none of the control's own: the desktop's usual pointer
    Arrow = 1,      // the plain arrow
    Hourglass = 11, // busy: long work is in progress
    Custom = 99,    // the control's own picture (the hand, the drag picture)
};
