// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Shell32.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>

#include <algorithm>
#include <memory>
#include <vector>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace Shell32 {

WindowStyle settleWindowStyle(int windowStyle)
{
    return (windowStyle < 0 || windowStyle > 6) ? WindowStyle::MinimisedWithoutFocus : WindowStyle(windowStyle);
}

std::optional<StartError> startProblem(const QString& program, QString* resolved)
{
    QString path = program;
    const bool bare = !program.contains(QLatin1Char('/')) && !program.contains(QLatin1Char('\\'));
    if (bare) {
        path = QStandardPaths::findExecutable(program);
        if (path.isEmpty())
            return StartError::FileNotFound;
    }
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return StartError::FileNotFound;
    if (!info.isExecutable())
        return StartError::PermissionDenied;
    if (resolved)
        *resolved = path;
    return std::nullopt;
}

namespace {

#ifdef Q_OS_WIN
// The system's show command for each style; "minimised without focus" is
// SW_SHOWMINNOACTIVE (7), where 6 would minimise and activate the next window.
WORD showCommand(WindowStyle windowStyle)
{
    switch (windowStyle) {
    case WindowStyle::Hidden:
        return SW_HIDE;
    case WindowStyle::NormalWithFocus:
        return SW_SHOWNORMAL;
    case WindowStyle::MinimisedWithFocus:
        return SW_SHOWMINIMIZED;
    case WindowStyle::MaximisedWithFocus:
        return SW_SHOWMAXIMIZED;
    case WindowStyle::NormalWithoutFocus:
        return SW_SHOWNOACTIVATE;
    case WindowStyle::MinimisedWithoutFocus:
        return SW_SHOWMINNOACTIVE;
    }
    return SW_SHOW; // 5, shown as it is
}
#endif

void applyWindowStyle(QProcess& process, WindowStyle windowStyle)
{
#ifdef Q_OS_WIN
    process.setCreateProcessArgumentsModifier([windowStyle](QProcess::CreateProcessArguments* args) {
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = showCommand(windowStyle);
        if (windowStyle == WindowStyle::Hidden)
            args->flags |= CREATE_NO_WINDOW;
    });
#else
    // Console programs started here have no window to show or hide.
    Q_UNUSED(process);
    Q_UNUSED(windowStyle);
#endif
}

// One started program and what became of it.
struct Job {
    int index = 0;
    std::unique_ptr<Confinement::Prepared> confinement;
    QProcess process;
    Outcome outcome;
    bool done = false;
    std::unique_ptr<Stopper::Hook> stop; // of its own stopper, when it has one
};

// Adds what fits of said below limit to kept; true when some did not fit.
bool keep(QByteArray& kept, const QByteArray& said, qsizetype limit)
{
    const qsizetype room = qMax<qsizetype>(0, limit - kept.size());
    kept += said.left(room);
    return said.size() > room;
}

void keepErrorOutput(Job& job)
{
    keep(job.outcome.errorOutput, job.process.readAllStandardError(), kErrorOutputLimit);
}

// A program whose output goes nowhere has nothing here to read.
void keepOutput(Job& job)
{
    if (keep(job.outcome.output, job.process.readAllStandardOutput(), kOutputLimit))
        job.outcome.outputCut = true;
}

void finish(Job& job)
{
    job.done = true;
    keepErrorOutput(job);
    if (const QString problem = job.confinement->childProblem(); !problem.isEmpty()) {
        job.outcome.started = false;
        job.outcome.result = startErrorResult(StartError::NotConfined);
        job.outcome.errorOutput = problem.toLocal8Bit();
        return;
    }
    keepOutput(job);
    if (job.process.exitStatus() == QProcess::CrashExit)
        job.outcome.result = startErrorResult(StartError::Crashed);
    else
        job.outcome.result = job.process.exitCode();
}

} // namespace

void Stopper::stop()
{
    m_stopped = true;
    const QList<Hook*> hooks = m_hooks;
    for (auto it = hooks.crbegin(); it != hooks.crend(); ++it)
        (*it)->m_onStop();
}

Stopper::Hook::Hook(Stopper* stopper, std::function<void()> onStop)
    : m_stopper(stopper)
    , m_onStop(std::move(onStop))
{
    if (m_stopper)
        m_stopper->m_hooks.append(this);
}

Stopper::Hook::~Hook()
{
    if (m_stopper)
        m_stopper->m_hooks.removeOne(this);
}

namespace {

// One wait of runWhenReady: the programs it started, and the event loop that
// learns of their ends.
class Wait
{
public:
    Wait(int maxAtOnce, const std::function<Next(int)>& next, const std::function<void(int, const Outcome&)>& finished,
         WindowStyle windowStyle, Stopper* stopper)
        : m_limit(qMax(1, maxAtOnce))
        , m_style(settleWindowStyle(int(windowStyle)))
        , m_next(next)
        , m_finished(finished)
        , m_stopper(stopper)
    {
    }

    void run(Waker* waker);
    // Kills every program still running; a killed program is gone within
    // milliseconds, and waiting for it here means nothing it started writing
    // goes on after the stop.
    void killAll();
    // A wake that comes while the loop is not running (during a callback) is
    // remembered, never lost.
    void wake()
    {
        m_woken = true;
        m_loop.quit();
    }

private:
    bool stopped() const { return m_stopper && m_stopper->stopped(); }
    void handEnded();
    void startReady();
    void start(int index, const Command& command);
    // Only moves a job from running to ended: the callers' callbacks run in
    // Run, never inside a process's own signal, so they may let the event
    // loop run as they please.
    void end(Job* job);

    const int m_limit;
    const WindowStyle m_style;
    const std::function<Next(int)>& m_next;
    const std::function<void(int, const Outcome&)>& m_finished;
    Stopper* m_stopper;
    QEventLoop m_loop;
    std::vector<std::unique_ptr<Job>> m_running;
    std::vector<std::unique_ptr<Job>> m_ended;   // ended, not yet handed to finished
    std::vector<std::unique_ptr<Job>> m_retired; // kept until the wait is over
    int m_asked = 0;                             // the number of the program next asks for
    bool m_done = false;
    bool m_woken = false;
};

void Wait::run(Waker* waker)
{
    if (waker)
        waker->setOnWake([this] { wake(); });
    const auto unwake = qScopeGuard([waker] {
        if (waker)
            waker->setOnWake({});
    });
    while (!stopped()) {
        handEnded();
        m_woken = false;
        startReady();
        if (!m_ended.empty() || (m_woken && !m_done))
            continue;
        if (m_running.empty() && m_done)
            break;
        // A stop from a callback finds the loop not running, and its quit
        // is lost.
        if (stopped())
            break;
        // The end of each program, and each wake, arrives as an event;
        // nothing polls.
        m_loop.exec();
    }
}

void Wait::handEnded()
{
    while (!m_ended.empty() && !stopped()) {
        std::unique_ptr<Job> job = std::move(m_ended.front());
        m_ended.erase(m_ended.begin());
        // Its stopper may go once its end is told, before the wait does.
        job->stop.reset();
        m_finished(job->index, job->outcome);
        m_retired.push_back(std::move(job));
    }
}

void Wait::startReady()
{
    while (int(m_running.size()) < m_limit && !m_done && m_ended.empty() && !stopped()) {
        const Next what = m_next(m_asked);
        if (what.kind == Next::Done)
            m_done = true;
        if (what.kind == Next::Done || what.kind == Next::Wait)
            break;
        if (what.kind == Next::Start)
            start(m_asked, what.command);
        ++m_asked;
    }
}

void Wait::start(int index, const Command& command)
{
    QString resolved;
    if (const std::optional<StartError> problem = startProblem(command.program, &resolved)) {
        Outcome outcome;
        outcome.result = startErrorResult(*problem);
        m_finished(index, outcome);
        return;
    }
    QString notConfined;
    std::unique_ptr<Confinement::Prepared> confinement = command.confinement.prepare(resolved, &notConfined);
    if (!confinement) {
        Outcome outcome;
        outcome.result = startErrorResult(StartError::NotConfined);
        outcome.errorOutput = notConfined.toLocal8Bit();
        m_finished(index, outcome);
        return;
    }
    Job* j = m_running.emplace_back(std::make_unique<Job>()).get();
    j->index = index;
    j->confinement = std::move(confinement);
    j->confinement->install(j->process);
    j->process.setProgram(resolved);
    j->process.setArguments(command.arguments);
    if (command.keepOutput)
        QObject::connect(&j->process, &QProcess::readyReadStandardOutput, &m_loop, [j] { keepOutput(*j); });
    else
        j->process.setStandardOutputFile(QProcess::nullDevice());
    j->process.setStandardInputFile(QProcess::nullDevice());
    applyWindowStyle(j->process, m_style);
    QObject::connect(&j->process, &QProcess::finished, &m_loop, [this, j] {
        if (!j->done) {
            finish(*j);
            end(j);
        }
    });
    QObject::connect(&j->process, &QProcess::errorOccurred, &m_loop, [this, j](QProcess::ProcessError error) {
        if (j->done || error != QProcess::FailedToStart)
            return;
        j->done = true;
        j->outcome.started = false;
        j->outcome.result = startErrorResult(StartError::StartFailed);
        end(j);
    });
    // Keep the error channel drained so a talkative program never blocks.
    QObject::connect(&j->process, &QProcess::readyReadStandardError, &m_loop, [j] { keepErrorOutput(*j); });
    if (command.stopper)
        j->stop = std::make_unique<Stopper::Hook>(command.stopper, [j] {
            j->process.kill();
            j->process.waitForFinished(1000);
        });
    j->outcome.started = true;
    j->process.start();
    j->confinement->started();
}

void Wait::end(Job* job)
{
    const auto it = std::find_if(m_running.begin(), m_running.end(), [job](const auto& j) { return j.get() == job; });
    if (it != m_running.end()) {
        m_ended.push_back(std::move(*it));
        m_running.erase(it);
    }
    m_loop.quit();
}

void Wait::killAll()
{
    std::vector<Job*> killed;
    for (const auto& job : m_running)
        killed.push_back(job.get());
    for (Job* job : killed) {
        job->process.kill();
        job->process.waitForFinished(1000);
    }
    m_loop.quit();
}

} // namespace

void runWhenReady(int maxAtOnce, const std::function<Next(int)>& next,
                  const std::function<void(int, const Outcome&)>& finished, WindowStyle windowStyle, Stopper* stopper,
                  Waker* waker)
{
    if (stopper && stopper->stopped())
        return;
    Wait wait(maxAtOnce, next, finished, windowStyle, stopper);
    const Stopper::Hook hook(stopper, [&wait] { wait.killAll(); });
    wait.run(waker);
}

void runEachAndWait(int count, int maxAtOnce, const std::function<std::optional<Command>(int)>& prepare,
                    const std::function<void(int, const Outcome&)>& finished, WindowStyle windowStyle, Stopper* stopper)
{
    runWhenReady(
        maxAtOnce,
        [&](int i) {
            if (i >= count)
                return Next{Next::Done, {}};
            const std::optional<Command> command = prepare(i);
            return command ? Next{Next::Start, *command} : Next{Next::Skip, {}};
        },
        finished, windowStyle, stopper);
}

QList<Outcome> runAllAndWait(const QList<Command>& commands, WindowStyle windowStyle)
{
    QList<Outcome> outcomes(commands.size());
    runEachAndWait(
        int(commands.size()), int(commands.size()),
        [&commands](int i) { return std::optional<Command>(commands.at(i)); },
        [&outcomes](int i, const Outcome& outcome) { outcomes[i] = outcome; }, windowStyle);
    return outcomes;
}

Outcome run(const QString& program, const QStringList& arguments, WindowStyle windowStyle, Stopper* stopper)
{
    Outcome outcome;
    runEachAndWait(
        1, 1,
        [&](int) {
            return std::optional<Command>(Command{program, arguments});
        },
        [&outcome](int, const Outcome& ended) { outcome = ended; }, windowStyle, stopper);
    return outcome;
}

int RunAndWait(const QString& program, const QStringList& arguments, WindowStyle windowStyle)
{
    return run(program, arguments, windowStyle).result;
}

} // namespace Shell32
