// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

// The peak memory of this process so far, in KiB; -1 where it cannot be told,
// or where the address sanitizer's own bookkeeping would hide it.
inline long peakKilobytes()
{
#if defined(Q_OS_UNIX) && !defined(__SANITIZE_ADDRESS__)
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#else
    return -1;
#endif
}
