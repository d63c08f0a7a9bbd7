#include "Shell32.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
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
    QProcess process;
    Outcome outcome;
    bool done = false;
};

void Finish(Job& job)
{
    job.done = true;
    job.outcome.errorOutput += job.process.readAllStandardError();
    if (job.process.exitStatus() == QProcess::CrashExit)
        job.outcome.result = kStartErrorBase + kErrorCrashed;
    else
        job.outcome.result = job.process.exitCode();
}

} // namespace

QList<Outcome> RunAllAndWait(const QList<Command>& commands, int windowStyle)
{
    const int style = SettleWindowStyle(windowStyle);
    std::vector<std::unique_ptr<Job>> jobs;
    jobs.reserve(size_t(commands.size()));
    QEventLoop loop;
    int pending = 0;

    for (const Command& command : commands) {
        auto job = std::make_unique<Job>();
        Job* j = job.get();
        jobs.push_back(std::move(job));

        QString resolved;
        if (const int problem = StartProblem(command.program, &resolved)) {
            j->outcome.result = kStartErrorBase + problem;
            j->done = true;
            continue;
        }
        j->process.setProgram(resolved);
        j->process.setArguments(command.arguments);
        j->process.setStandardOutputFile(QProcess::nullDevice());
        j->process.setStandardInputFile(QProcess::nullDevice());
        ApplyWindowStyle(j->process, style);
        QObject::connect(&j->process, &QProcess::finished, &loop, [j, &pending, &loop] {
            if (j->done)
                return;
            Finish(*j);
            if (--pending == 0)
                loop.quit();
        });
        QObject::connect(&j->process, &QProcess::errorOccurred, &loop, [j, &pending, &loop](QProcess::ProcessError error) {
            if (j->done || error != QProcess::FailedToStart)
                return;
            j->done = true;
            j->outcome.started = false;
            j->outcome.result = kStartErrorBase + kErrorStartFailed;
            if (--pending == 0)
                loop.quit();
        });
        // Keep the error channel drained so a talkative program never blocks.
        QObject::connect(&j->process, &QProcess::readyReadStandardError, &loop, [j] {
            j->outcome.errorOutput += j->process.readAllStandardError();
        });
        ++pending;
        j->outcome.started = true;
        j->process.start();
    }

    // The finish of each program arrives as an event; nothing polls.
    if (pending > 0)
        loop.exec();

    QList<Outcome> outcomes;
    outcomes.reserve(qsizetype(jobs.size()));
    for (auto& job : jobs)
        outcomes.append(job->outcome);
    return outcomes;
}

Outcome Run(const QString& program, const QStringList& arguments, int windowStyle)
{
    return RunAllAndWait({Command{program, arguments}}, windowStyle).constFirst();
}

int RunAndWait(const QString& program, const QStringList& arguments, int windowStyle)
{
    return Run(program, arguments, windowStyle).result;
}

} // namespace Shell32
