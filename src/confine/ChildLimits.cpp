// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ChildLimits.h"

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace ChildLimits {

#ifdef Q_OS_LINUX

namespace {

#ifndef CLOSE_RANGE_CLOEXEC
constexpr unsigned CLOSE_RANGE_CLOEXEC = 1U << 2;
#endif
#ifndef SYS_close_range
constexpr long SYS_close_range = 436;
#endif
#ifndef PR_CAP_AMBIENT
constexpr int PR_CAP_AMBIENT = 47;
constexpr int PR_CAP_AMBIENT_CLEAR_ALL = 4;
#endif

int setLimit(int resource, quint64 value)
{
    const rlimit limit{value, value};
    return ::setrlimit(resource, &limit) == 0 ? 0 : errno;
}

} // namespace

quint64 memoryLimit()
{
    static const quint64 limit = [] {
        const long pages = sysconf(_SC_PHYS_PAGES);
        const long pageSize = sysconf(_SC_PAGESIZE);
        const quint64 machine = pages > 0 && pageSize > 0 ? quint64(pages) * quint64(pageSize) : 0;
        return qMax(machine / 4, quint64(1) << 30);
    }();
    return limit;
}

int closeInheritedDescriptors()
{
    // Marked close-on-exec rather than closed: the runner still reports a
    // failed exec through a descriptor of its own.
    if (syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return 0;
    // Kernels before 5.11: one descriptor at a time, up to the limit.
    rlimit open{};
    if (::getrlimit(RLIMIT_NOFILE, &open) != 0)
        return errno;
    const rlim_t end = open.rlim_cur == RLIM_INFINITY ? rlim_t(1) << 20 : open.rlim_cur;
    for (rlim_t fd = 3; fd < end; ++fd)
        ::fcntl(int(fd), F_SETFD, FD_CLOEXEC);
    return 0;
}

int refuseNewPrivileges()
{
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 ? 0 : errno;
}

int applyLimits(const Limits& limits)
{
    if (const int error = setLimit(RLIMIT_CORE, 0))
        return error;
    if (limits.memory > 0)
        if (const int error = setLimit(RLIMIT_AS, limits.memory))
            return error;
    if (limits.fileSize > 0) {
        struct sigaction ignore {
        };
        ignore.sa_handler = SIG_IGN;
        if (::sigaction(SIGXFSZ, &ignore, nullptr) != 0)
            return errno;
        if (const int error = setLimit(RLIMIT_FSIZE, limits.fileSize))
            return error;
    }
    if (limits.processes > 0)
        if (const int error = setLimit(RLIMIT_NPROC, quint64(limits.processes)))
            return error;
    return 0;
}

int dropCapabilities()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct sets[2] = {};
    if (syscall(SYS_capget, &header, sets) != 0)
        return errno;
    const bool holds = sets[0].permitted || sets[1].permitted || sets[0].effective || sets[1].effective;
    // Root regains its capabilities at every exec from the bounding set.
    if (!holds && ::geteuid() != 0)
        return 0;
    for (int capability = 0; capability < 64; ++capability) {
        if (::prctl(PR_CAPBSET_READ, capability, 0, 0, 0) < 0)
            break; // past the last capability this kernel knows
        if (::prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0 && errno != EINVAL)
            return errno;
    }
    if (::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0 && errno != EINVAL)
        return errno;
    const __user_cap_data_struct none[2] = {};
    return syscall(SYS_capset, &header, none) == 0 ? 0 : errno;
}

#else

quint64 memoryLimit()
{
    return 0;
}

int closeInheritedDescriptors()
{
    return 0;
}

int refuseNewPrivileges()
{
    return 0;
}

int applyLimits(const Limits&)
{
    return 0;
}

int dropCapabilities()
{
    return 0;
}

#endif

} // namespace ChildLimits
