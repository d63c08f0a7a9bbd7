#include "Shell32.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>

#include <memory>
#include <vector>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace Shell32 {

int SettleWindowStyle(int windowStyle)
{
    return (windowStyle < 0 || windowStyle > 6) ? 6 : windowStyle;
}

int StartProblem(const QString& program, QString* resolved)
{
    QString path = program;
    const bool bare = !program.contains(QLatin1Char('/')) && !program.contains(QLatin1Char('\\'));
    if (bare) {
        path = QStandardPaths::findExecutable(program);
        if (path.isEmpty())
            return kErrorFileNotFound;
    }
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return kErrorFileNotFound;
    if (!info.isExecutable())
        return kErrorPermissionDenied;
    if (resolved)
        *resolved = path;
    return 0;
}

namespace {

void ApplyWindowStyle(QProcess& process, int windowStyle)
{
#ifdef Q_OS_WIN
    process.setCreateProcessArgumentsModifier([windowStyle](QProcess::CreateProcessArguments* args) {
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = WORD(windowStyle);
        if (windowStyle == 0)
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
    QProcess process;
    Outcome outcome;
    bool done = false;
};

void KeepErrorOutput(Job& job)
{
    const QByteArray said = job.process.readAllStandardError();
    const qsizetype room = kErrorOutputLimit - job.outcome.errorOutput.size();
    if (room > 0)
        job.outcome.errorOutput += said.left(room);
}

void Finish(Job& job)
{
    job.done = true;
    KeepErrorOutput(job);
    if (job.process.exitStatus() == QProcess::CrashExit)
        job.outcome.result = kStartErrorBase + kErrorCrashed;
    else
        job.outcome.result = job.process.exitCode();
}

} // namespace

void Stopper::Stop()
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

void RunWhenReady(int maxAtOnce, const std::function<Next(int)>& next,
                  const std::function<void(int, const Outcome&)>& finished, int windowStyle, Stopper* stopper,
                  Waker* waker)
{
    if (stopper && stopper->Stopped())
        return;
    const int style = SettleWindowStyle(windowStyle);
    const int limit = qMax(1, maxAtOnce);
    QEventLoop loop;
    std::vector<std::unique_ptr<Job>> running;
    std::vector<std::unique_ptr<Job>> ended;  // ended, not yet handed to finished
    std::vector<std::unique_ptr<Job>> retired; // kept until the wait is over
    int asked = 0; // the number of the program next asks for
    bool done = false;

    // The signal handlers only move a job from running to ended: the callers'
    // callbacks run out here, never inside a process's own signal, so they may
    // let the event loop run as they please.
    const auto end = [&](Job* job) {
        for (auto it = running.begin(); it != running.end(); ++it)
            if (it->get() == job) {
                ended.push_back(std::move(*it));
                running.erase(it);
                break;
            }
        loop.quit();
    };

    const auto start = [&](int index, const Command& command) {
        QString resolved;
        if (const int problem = StartProblem(command.program, &resolved)) {
            Outcome outcome;
            outcome.result = kStartErrorBase + problem;
            finished(index, outcome);
            return;
        }
        auto job = std::make_unique<Job>();
        Job* j = job.get();
        j->index = index;
        running.push_back(std::move(job));
        j->process.setProgram(resolved);
        j->process.setArguments(command.arguments);
        j->process.setStandardOutputFile(QProcess::nullDevice());
        j->process.setStandardInputFile(QProcess::nullDevice());
        ApplyWindowStyle(j->process, style);
        QObject::connect(&j->process, &QProcess::finished, &loop, [j, &end] {
            if (j->done)
                return;
            Finish(*j);
            end(j);
        });
        QObject::connect(&j->process, &QProcess::errorOccurred, &loop, [j, &end](QProcess::ProcessError error) {
            if (j->done || error != QProcess::FailedToStart)
                return;
            j->done = true;
            j->outcome.started = false;
            j->outcome.result = kStartErrorBase + kErrorStartFailed;
            end(j);
        });
        // Keep the error channel drained so a talkative program never blocks.
        QObject::connect(&j->process, &QProcess::readyReadStandardError, &loop,
                         [j] { KeepErrorOutput(*j); });
        j->outcome.started = true;
        j->process.start();
    };

    const Stopper::Hook hook(stopper, [&] {
        // A killed program is gone within milliseconds; waiting for it here
        // means nothing it started writing goes on after the stop.
        std::vector<Job*> killed;
        for (const auto& job : running)
            killed.push_back(job.get());
        for (Job* job : killed) {
            job->process.kill();
            job->process.waitForFinished(1000);
        }
        loop.quit();
    });
    const auto stopped = [stopper] { return stopper && stopper->Stopped(); };
    // A wake that comes while the loop is not running (during a callback) is
    // remembered, never lost.
    bool woken = false;
    if (waker)
        waker->m_wake = [&] {
            woken = true;
            loop.quit();
        };
    const auto unwake = qScopeGuard([waker] {
        if (waker)
            waker->m_wake = nullptr;
    });

    for (;;) {
        if (stopped())
            break;
        while (!ended.empty() && !stopped()) {
            std::unique_ptr<Job> job = std::move(ended.front());
            ended.erase(ended.begin());
            finished(job->index, job->outcome);
            retired.push_back(std::move(job));
        }
        woken = false;
        while (int(running.size()) < limit && !done && ended.empty() && !stopped()) {
            const Next what = next(asked);
            if (what.kind == Next::Done)
                done = true;
            if (what.kind == Next::Done || what.kind == Next::Wait)
                break;
            if (what.kind == Next::Start)
                start(asked, what.command);
            ++asked;
        }
        if (!ended.empty() || (woken && !done))
            continue;
        if (running.empty() && done)
            break;
        // The end of each program, and each wake, arrives as an event;
        // nothing polls.
        loop.exec();
    }
}

void RunEachAndWait(int count, int maxAtOnce, const std::function<std::optional<Command>(int)>& prepare,
                    const std::function<void(int, const Outcome&)>& finished, int windowStyle, Stopper* stopper)
{
    RunWhenReady(
        maxAtOnce,
        [&](int i) {
            if (i >= count)
                return Next{Next::Done, {}};
            const std::optional<Command> command = prepare(i);
            return command ? Next{Next::Start, *command} : Next{Next::Skip, {}};
        },
        finished, windowStyle, stopper);
}

QList<Outcome> RunAllAndWait(const QList<Command>& commands, int windowStyle)
{
    QList<Outcome> outcomes(commands.size());
    RunEachAndWait(
        int(commands.size()), int(commands.size()), [&commands](int i) { return std::optional<Command>(commands.at(i)); },
        [&outcomes](int i, const Outcome& outcome) { outcomes[i] = outcome; }, windowStyle);
    return outcomes;
}

Outcome Run(const QString& program, const QStringList& arguments, int windowStyle, Stopper* stopper)
{
    Outcome outcome;
    RunEachAndWait(
        1, 1, [&](int) { return std::optional<Command>(Command{program, arguments}); },
        [&outcome](int, const Outcome& ended) { outcome = ended; }, windowStyle, stopper);
    return outcome;
}

int RunAndWait(const QString& program, const QStringList& arguments, int windowStyle)
{
    return Run(program, arguments, windowStyle).result;
}

} // namespace Shell32
