// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ProcessContainment.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <fcntl.h>
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

void closeAllBut(int keep)
{
    if (keep > 0)
        syscall(SYS_close_range, 0U, unsigned(keep - 1), 0U);
    syscall(SYS_close_range, unsigned(keep + 1), ~0U, 0U);
}

// The waiter: ends as the program ended.
[[noreturn]] void waitFor(pid_t program)
{
    int status = 0;
    while (::waitpid(program, &status, 0) < 0 && errno == EINTR) { }
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        struct sigaction standard {
        };
        standard.sa_handler = SIG_DFL;
        ::sigaction(signal, &standard, nullptr);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signal);
        ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
        ::kill(::getpid(), signal);
        ::_exit(128 + signal);
    }
    ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 127);
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
    // Open in the waiter for as long as it lives: the program sees it close.
    int alive[2];
    if (::pipe2(alive, O_CLOEXEC | O_NONBLOCK) != 0)
        return errno;
    const long program = newProcess(0);
    if (program < 0)
        return errno;
    if (program > 0) {
        // Nothing of the program's reaches it, so the runner learns of the
        // program's exec, and of its end, from the program alone.
        ::close(alive[0]);
        closeAllBut(alive[1]);
        waitFor(pid_t(program));
    }
    ::close(alive[1]);
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0) != 0)
        return errno;
    char nothing = 0;
    if (::read(alive[0], &nothing, 1) == 0)
        ::_exit(127); // the waiter was killed before the tie held
    ::close(alive[0]);
    return 0;
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
