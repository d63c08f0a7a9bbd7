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
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // Ends the process as the request would have ended it, once the cleaning
    // up is done: whoever sent it learns that it took effect. 0 ends it with
    // exit code 0.
    [[noreturn]] static void endProcess(int signal);
    // The number of the request that Ctrl+C sends (SIGINT).
    static int keyboardInterrupt();

Q_SIGNALS:
    // A request to end arrived; signal is its number (SIGTERM, SIGHUP, SIGINT).
    void received(int signal);

private:
    void readPending();

    QSocketNotifier* m_notifier = nullptr;
};
