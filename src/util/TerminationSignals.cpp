// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#endif

#ifdef Q_OS_UNIX
namespace {

// The last is caught only when asked for.
const int kRequests[] = {SIGTERM, SIGHUP, SIGINT, SIGPIPE};

// The handler may only make system calls that are safe in a signal handler:
// it writes the signal's number into a pipe that the event loop reads.
int s_pipe[2] = {-1, -1};
struct sigaction s_previous[std::size(kRequests)];
size_t s_caught = 0; // how many of kRequests are caught
volatile sig_atomic_t s_closedPipe = 0;

void onRequest(int signal)
{
    const int saved = errno;
    if (signal == SIGPIPE)
        s_closedPipe = 1;
    const unsigned char number = static_cast<unsigned char>(signal);
    if (::write(s_pipe[1], &number, 1) < 0) {
        // A full pipe holds requests enough.
    }
    errno = saved;
}

} // namespace
#endif

TerminationSignals::TerminationSignals(QObject* parent, ClosedPipe closedPipe)
    : QObject(parent)
{
#ifdef Q_OS_UNIX
    s_caught = std::size(kRequests) - (closedPipe == ClosedPipe::Caught ? 0 : 1);
    Q_ASSERT(s_pipe[0] < 0);
    if (::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("TerminationSignals: no pipe, so requests to end end the process at once");
        return;
    }
    m_notifier = new QSocketNotifier(s_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPending);
    struct sigaction action {
    };
    action.sa_handler = onRequest;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < s_caught; ++i)
        ::sigaction(kRequests[i], &action, &s_previous[i]);
#else
    Q_UNUSED(closedPipe);
#endif
}

TerminationSignals::~TerminationSignals()
{
#ifdef Q_OS_UNIX
    if (s_pipe[0] < 0)
        return;
    for (size_t i = 0; i < s_caught; ++i)
        ::sigaction(kRequests[i], &s_previous[i], nullptr);
    delete m_notifier;
    for (int& fd : s_pipe) {
        ::close(fd);
        fd = -1;
    }
#endif
}

void TerminationSignals::readPending()
{
#ifdef Q_OS_UNIX
    unsigned char number = 0;
    while (::read(s_pipe[0], &number, 1) == 1)
        Q_EMIT received(number);
#endif
}

int TerminationSignals::keyboardInterrupt()
{
    return SIGINT;
}

int TerminationSignals::closedPipe()
{
#ifdef Q_OS_UNIX
    return SIGPIPE;
#else
    return 0;
#endif
}

bool TerminationSignals::closedPipeCaught()
{
#ifdef Q_OS_UNIX
    return s_closedPipe != 0;
#else
    return false;
#endif
}

void TerminationSignals::endProcess(int signal)
{
    std::fflush(nullptr);
#ifdef Q_OS_UNIX
    if (signal > 0) {
        // Ended by the signal itself, as if nothing had caught it.
        ::signal(signal, SIG_DFL);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signal);
        ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
        ::raise(signal);
    }
#endif
    std::_Exit(signal > 0 ? 128 + signal : 0);
}
