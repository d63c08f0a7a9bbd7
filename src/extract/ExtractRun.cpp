// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExtractRun.h"

#include "ExtractJob.h"
#include "util/Platform.h"

#include <QRegularExpression>
#include <QThread>

ExtractRun::ExtractRun(ExtractHost& host, ToolLocator tools)
    : m_host(host)
    , m_tools(std::move(tools))
    , m_parallelEncoders(qMax(1, QThread::idealThreadCount()))
{
    m_confinement = defaultConfinement(&m_confinementNote);
}

Confinement ExtractRun::defaultConfinement(QString* note)
{
    if (qEnvironmentVariable("ORVALIN_CONFINEMENT") != QLatin1String("off"))
        return Confinement::full();
    if (note)
        *note = QStringLiteral("The tools ran unconfined (ORVALIN_CONFINEMENT=off).");
    return Confinement();
}

ExtractRun::~ExtractRun()
{
    abandon();
}

void ExtractRun::ExtractAll()
{
    if (isRunning())
        return;
    // The job belongs to this frame, not to this object: should the object
    // be destroyed during the run, the job is abandoned and unwinds safely.
    const auto job = std::make_shared<ExtractJob>(
        m_host, m_tools,
        ExtractJob::Settings{m_parallelEncoders, m_pipelined, m_readList, m_choices, m_confinement, m_confinementNote,
                             m_removeWorkCopy, m_workCopyInOutputFolder, m_timeLimit, m_repeatsByContent,
                             m_listForRecord});
    m_job = job;
    job->run();
}

void ExtractRun::abandon()
{
    if (const auto job = m_job.lock())
        job->abandon();
}

QString ExtractRun::safeArgument(const QString& path)
{
    if (path.startsWith(QLatin1Char('-')))
        return QLatin1Char('.') + Platform::separatorString() + path;
    return path;
}

namespace {

// A problem line longer than this is shortened in the middle, where a long
// path has the part that matters least.
constexpr qsizetype kLongestLine = 200;

QString shortened(const QString& line)
{
    if (line.size() <= kLongestLine)
        return line;
    const qsizetype head = kLongestLine * 2 / 3;
    return line.left(head) + QChar(0x2026) + line.right(kLongestLine - head - 1);
}

} // namespace

QString ExtractRun::leftOutLine(const int (&counts)[ImageSelection::kReasons])
{
    int total = 0;
    QStringList reasons;
    for (int reason = 0; reason < ImageSelection::kReasons; ++reason) {
        total += counts[reason];
        if (counts[reason] > 0)
            reasons.append(ImageSelection::reasonName(ImageSelection::Reason(reason)));
    }
    if (total == 0)
        return QString();
    return QStringLiteral("%1 left out (%2)")
        .arg(total == 1 ? QStringLiteral("1 image") : QStringLiteral("%1 images").arg(total),
             reasons.join(QStringLiteral(", ")));
}

QString ExtractRun::finalMessage(const QStringList& problems, const QString& leftOut)
{
    QString message = QStringLiteral("Done.");
    if (!leftOut.isEmpty())
        message += QLatin1Char('\n') + leftOut;
    if (problems.isEmpty())
        return message;
    QStringList shown;
    for (qsizetype i = 0; i < problems.size() && i < kProblemsShown; ++i)
        shown.append(shortened(problems.at(i)));
    if (const qsizetype more = problems.size() - kProblemsShown; more > 0)
        shown.append(more == 1 ? QStringLiteral("\u2026 and 1 more problem")
                               : QStringLiteral("\u2026 and %1 more problems").arg(more));
    return message + QStringLiteral("\n\n") + shown.join(QLatin1Char('\n'));
}

QString ExtractRun::finalDetails(const QStringList& problems)
{
    const bool shortened = problems.size() > kProblemsShown
                           || std::any_of(problems.cbegin(), problems.cend(),
                                          [](const QString& line) { return line.size() > kLongestLine; });
    return shortened ? problems.join(QLatin1Char('\n')) : QString();
}

QString ExtractRun::loaderWords(int exitCode, const QByteArray& errorOutput)
{
    // The loader of this system ends a program it cannot start with 127.
    static const QRegularExpression said(QStringLiteral("error while loading shared libraries: ([^\n]*)"));
    const QRegularExpressionMatch words = said.match(QString::fromLocal8Bit(errorOutput));
    return exitCode == 127 && words.hasMatch() ? words.captured(1).trimmed() : QString();
}

QString ExtractRun::describeExtractorFailure(int exitCode, const QByteArray& errorOutput)
{
    const QString said = QString::fromLocal8Bit(errorOutput);
    // Exit code 99 with no page at all to look at is a damaged file too.
    if (exitCode == 99 && said.contains(QLatin1String("Wrong page range")))
        exitCode = 1;
    switch (exitCode) {
    case 1:
        if (said.contains(QLatin1String("password"), Qt::CaseInsensitive))
            return QStringLiteral("the PDF is password-protected, so its images cannot be extracted");
        return QStringLiteral("the file is damaged or is not a PDF file");
    case 2:
        return QStringLiteral("the image extractor could not write its image files");
    case 3:
        return QStringLiteral("the PDF's permissions do not allow its images to be extracted");
    default:
        if (exitCode < 0)
            return QStringLiteral("the image extractor stopped unexpectedly");
        return QStringLiteral("the image extractor failed (exit code %1)").arg(exitCode);
    }
}
