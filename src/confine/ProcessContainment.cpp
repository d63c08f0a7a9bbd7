// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ProcessContainment.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>

namespace ProcessContainment {

#ifdef Q_OS_LINUX

namespace {

#ifndef SYS_close_range
constexpr long SYS_close_range = 436;
#endif

// A PID namespace needs privileges, which a user namespace of its own
// gives an ordinary user; root may have them without one.
constexpr int kNamespaces = CLONE_NEWUSER | CLONE_NEWPID;

int unshareTree()
{
    if (::unshare(kNamespaces) == 0)
        return 0;
    const int error = errno;
    return ::geteuid() == 0 && ::unshare(CLONE_NEWPID) == 0 ? 0 : error;
}

// A new process by the system call itself: between fork and exec of a
// process with threads, the C library's fork may wait on locks that no
// thread is left to release.
long newProcess(unsigned long flags)
{
    return syscall(SYS_clone, flags | SIGCHLD, nullptr, nullptr, nullptr, nullptr);
}

#ifndef SYS_pidfd_open
constexpr long SYS_pidfd_open = 434;
#endif

// The first process of the program's PID namespace, which keeps it: it
// holds nothing of the program's and only reaps what is left to it, until
// the program's process ends and the kernel ends it, and with it every
// process of the namespace.
[[noreturn]] void keepNamespace(int program)
{
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0) != 0)
        ::_exit(127);
    // Gone before the tie held: the death signal will never come.
    pollfd gone{program, POLLIN, 0};
    if (::poll(&gone, 1, 0) != 0)
        ::_exit(0);
    syscall(SYS_close_range, 0U, ~0U, 0U);
    sigset_t child;
    sigemptyset(&child);
    sigaddset(&child, SIGCHLD);
    ::sigprocmask(SIG_BLOCK, &child, nullptr);
    for (;;) {
        while (::waitpid(-1, nullptr, WNOHANG | __WALL) > 0) { }
        siginfo_t info;
        ::sigwaitinfo(&child, &info);
    }
}

} // namespace

bool treesOffered()
{
    static const bool offered = [] {
        const long child = newProcess(0);
        if (child == 0)
            ::_exit(unshareTree() == 0 ? 0 : 1);
        if (child < 0)
            return false;
        int status = 0;
        while (::waitpid(pid_t(child), &status, 0) < 0 && errno == EINTR) { }
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }();
    return offered;
}

int tieToParent(long long parent)
{
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0) != 0)
        return errno;
    // Started just as Orvalin ended: the death signal came too late.
    if (::getppid() != pid_t(parent))
        ::_exit(127);
    return 0;
}

int enterOwnTree()
{
    if (const int error = unshareTree())
        return error;
    // The program's own process stays outside the namespace and starts its
    // processes in it; the first of them keeps it, tied to the program, so
    // the start goes on to the program at once.
    const int program = int(syscall(SYS_pidfd_open, ::getpid(), 0U));
    if (program < 0)
        return errno;
    const long keeper = newProcess(0);
    if (keeper == 0)
        keepNamespace(program);
    const int error = keeper < 0 ? errno : 0;
    ::close(program);
    return error;
}

#else

bool treesOffered()
{
    return false;
}

int tieToParent(long long)
{
    return 0;
}

int enterOwnTree()
{
    return ENOSYS;
}

#endif

} // namespace ProcessContainment
