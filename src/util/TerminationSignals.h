// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the requests to end that the system sends a process (SIGTERM at
// logout, SIGHUP when its terminal goes, SIGINT from Ctrl+C) into a Qt
// signal, delivered by the event loop like any other event, so a program
// can stop its work and clean up as it does on a close. While an instance
// lives those requests no longer end the process by themselves; at most one
// instance lives at a time. Where the system sends no such requests
// (Windows), nothing is ever received.
//
// A program that writes into pipes may also take a write into a closed one
// (SIGPIPE) as such a request: it then cleans up as well, where the signal
// would have ended it on the spot, and its write fails instead.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    enum class ClosedPipe {
        Ends,   // a write into a closed pipe ends the process, as it always did
        Caught, // it is a request to end like the others
    };

    explicit TerminationSignals(QObject* parent = nullptr, ClosedPipe closedPipe = ClosedPipe::Ends);
    ~TerminationSignals() override;

    // Ends the process as the request would have ended it, once the cleaning
    // up is done: whoever sent it learns that it took effect. 0 ends it with
    // exit code 0.
    [[noreturn]] static void endProcess(int signal);
    // The number of the request that Ctrl+C sends (SIGINT).
    static int keyboardInterrupt();
    // The number of a write into a closed pipe (SIGPIPE); 0 where there is none.
    static int closedPipe();
    // True once a write into a closed pipe was caught; known at once, as the
    // failed write returns, before the event loop hears of it.
    static bool closedPipeCaught();

Q_SIGNALS:
    // A request to end arrived; signal is its number (SIGTERM, SIGHUP, SIGINT).
    void received(int signal);

private:
    void readPending();

    QSocketNotifier* m_notifier = nullptr;
};
