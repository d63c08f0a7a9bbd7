// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "confine/Confinement.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace Shell32 {

class Stopper;

// Why a program could not be started, or why it ended without an exit code.
enum class StartError {
    FileNotFound = 53,     // the program does not exist
    PermissionDenied = 70, // it exists but may not be run
    StartFailed = 5,       // any other reason the start failed
    Crashed = 51,          // it started but died of a signal or crash
    NotConfined = 75,      // its confinement could not be applied, so it never ran
};

// What such a program returns: a fixed base plus the error's number, so the
// result is always negative and never taken for an exit code.
constexpr int kStartErrorBase = -2147221504;
constexpr int startErrorResult(StartError error)
{
    return kStartErrorBase + int(error);
}

// How a started program's window is shown, where programs have windows. The
// numbers are the system's own; 5 (shown as it is) passes too.
enum class WindowStyle {
    Hidden = 0,
    NormalWithFocus = 1,
    MinimisedWithFocus = 2,
    MaximisedWithFocus = 3,
    NormalWithoutFocus = 4,
    MinimisedWithoutFocus = 6,
};

// Anything outside 0 to 6 becomes MinimisedWithoutFocus.
WindowStyle settleWindowStyle(int windowStyle);

struct Outcome {
    bool started = false;
    int result = 0;         // the exit code, or startErrorResult(why)
    QByteArray errorOutput; // what the program wrote to its error channel; why it was not confined
    QByteArray output;      // its standard output, when the command asked for it
    bool outputCut = false; // the output went past kOutputLimit: only its start is kept
};

// Starts program with its arguments (no shell, no re-split command line) and
// returns once it has ended, running the event loop meanwhile so that the
// window stays responsive. A program that cannot be started returns at once.
Outcome run(const QString& program, const QStringList& arguments,
            WindowStyle windowStyle = WindowStyle::MinimisedWithoutFocus, Stopper* stopper = nullptr);

// The same as Run, returning only the result.
int RunAndWait(const QString& program, const QStringList& arguments,
               WindowStyle windowStyle = WindowStyle::MinimisedWithoutFocus);

struct Command {
    QString program;
    QStringList arguments;
    bool keepOutput = false; // keep the standard output (else it goes nowhere)
    // How the program is confined, with the places it may read and write.
    // Confinement that cannot be applied keeps it from running at all
    // (StartError::NotConfined).
    Confinement confinement = Confinement();
    // When this stopper is stopped, the program is killed, and the wait goes
    // on with its other programs; its end is still reported.
    Stopper* stopper = nullptr;
};

// Lets whoever started a wait end it from an event handled during the wait:
// stop() kills the programs the wait started, waits the moment it takes them
// to die, and makes the wait return without starting or reporting any more.
// A wait handed a stopper that was stopped before starts nothing.
class Stopper
{
public:
    Stopper() = default;
    Stopper(const Stopper&) = delete;
    Stopper& operator=(const Stopper&) = delete;

    void stop();
    bool stopped() const { return m_stopped; }

    // What a wait in progress does on stop(), for as long as the hook lives.
    // Waits may nest: the innermost is stopped first.
    class Hook
    {
    public:
        Hook(Stopper* stopper, std::function<void()> onStop);
        ~Hook();
        Hook(const Hook&) = delete;
        Hook& operator=(const Hook&) = delete;

    private:
        friend class Stopper;
        Stopper* m_stopper;
        std::function<void()> m_onStop;
    };

private:
    bool m_stopped = false;
    QList<Hook*> m_hooks;
};

// At most this much of a program's error channel is kept: a damaged PDF can
// make the extractor talk for megabytes.
constexpr qsizetype kErrorOutputLimit = 64 * 1024;
// At most this much of a kept standard output: a listing of a hundred
// thousand images.
constexpr qsizetype kOutputLimit = 16 * 1024 * 1024;

// Runs all commands at once and returns when all have ended, their outcomes
// in the same order.
QList<Outcome> runAllAndWait(const QList<Command>& commands,
                             WindowStyle windowStyle = WindowStyle::MinimisedWithoutFocus);

// What to do next, as runWhenReady asks.
struct Next {
    enum Kind {
        Start, // start command as the next program
        Skip,  // pass over the next program: it counts, but nothing starts
        Wait,  // nothing is ready yet: ask again after the next event
        Done,  // there are no more programs
    };
    Kind kind = Done;
    Command command;
};

// Lets the caller of runWhenReady say that something may be ready now (a
// file it waits for has appeared): the runner asks again.
class Waker
{
public:
    void wake()
    {
        if (m_wake)
            m_wake();
    }

    // What a wake does: set by the wait in progress, cleared at its end.
    void setOnWake(std::function<void()> onWake) { m_wake = std::move(onWake); }

private:
    std::function<void()> m_wake;
};

// Runs programs as they become ready, at most maxAtOnce at a time. next(i) is
// asked for program i whenever a place is free, and again after every event
// while it answers Wait: whenever a program ends or waker is woken.
// finished(i, outcome) is called as soon as program i has ended (or failed to
// start). Returns once next has said Done and all programs have ended, or at
// once when stopper is stopped; the event loop runs meanwhile, and the
// callbacks may run it too. next should answer Wait only while a program runs
// or a wake is to come.
void runWhenReady(int maxAtOnce, const std::function<Next(int)>& next,
                  const std::function<void(int, const Outcome&)>& finished,
                  WindowStyle windowStyle = WindowStyle::MinimisedWithoutFocus, Stopper* stopper = nullptr,
                  Waker* waker = nullptr);

// Runs count programs, at most maxAtOnce at a time, starting the next as soon
// as one ends. prepare(i) is called just before program i starts and gives its
// command, or nothing to pass over it; finished(i, outcome) is called as soon
// as program i has ended (or failed to start). Returns when all have ended,
// or at once when stopper is stopped; the event loop runs meanwhile.
void runEachAndWait(int count, int maxAtOnce, const std::function<std::optional<Command>(int)>& prepare,
                    const std::function<void(int, const Outcome&)>& finished,
                    WindowStyle windowStyle = WindowStyle::MinimisedWithoutFocus, Stopper* stopper = nullptr);

// Pre-flight check: the error that would keep program from starting, or
// nothing when it looks startable. Resolves bare names on PATH.
std::optional<StartError> startProblem(const QString& program, QString* resolved = nullptr);

} // namespace Shell32
