// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: LicenseRef-proprietary

#include "ExtractJob.h"

#include "BackgroundWork.h"
#include "ExtractRun.h"
#include "ExtractorOutput.h"
#include "ImagePipeline.h"
#include "util/Main.h"
#include "util/OutputFolder.h"
#include "util/Platform.h"
#include "util/Trim1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>

namespace {

// Why a listed path cannot be read as a PDF, or the empty string. Nothing
// that is not a plain file is ever opened: a pipe would wait for ever.
QString SourceProblem(const QString& source)
{
    if (Platform::PathTooLong(source))
        return QStringLiteral("the path is too long to be opened");
    const QFileInfo info(source);
    if (!info.exists())
        return QStringLiteral("the file is missing");
    if (info.isDir())
        return QStringLiteral("this is a folder, not a PDF file");
    if (!info.isFile())
        return QStringLiteral("this is a device or a pipe, not a PDF file");
    QFile readable(source);
    if (!readable.open(QIODevice::ReadOnly))
        return QStringLiteral("the file cannot be read");
    return QString();
}

// The extractor exits 0 after errors it could work around, such as a damaged
// page whose images it could not find, and says so on its error channel.
bool SaidErrors(const QByteArray& errorOutput)
{
    static const QRegularExpression error(QStringLiteral("\\bError\\b"));
    return error.match(QString::fromLocal8Bit(errorOutput)).hasMatch();
}

QString Images(int count)
{
    return count == 1 ? QStringLiteral("1 image") : QStringLiteral("%1 images").arg(count);
}

} // namespace

ExtractJob::ExtractJob(ExtractHost& host, const ToolLocator& tools, int parallelEncoders, bool pipelined)
    : m_host(host)
    , m_tools(tools)
    , m_parallelEncoders(parallelEncoders)
    , m_pipelined(pipelined)
    , m_workCopy(tools.ApplicationFolder())
{
}

void ExtractJob::Abandon()
{
    if (m_abandoned)
        return;
    m_abandoned = true;
    m_stopper.Stop();
    if (m_output)
        m_output->Remove();
    m_numbers.GiveUpPending();
}

void ExtractJob::Run()
{
    m_host.SetMousePointer(Pointer::Hourglass);
    if (m_host.SourceCount() < 1) {
        m_host.ShowMessage(QStringLiteral("No files added."));
    } else {
        const int bound = m_host.SourceCount();
        // A listed PDF that bears a work copy's name is never written over.
        QSet<QString> listed;
        for (int i = 1; i <= bound; ++i)
            listed.insert(QFileInfo(m_host.SourceText(i)).canonicalFilePath());
        const bool haveWorkCopy = m_workCopy.Acquire(listed);
        for (int i = 1; i <= bound; ++i) {
            // Rows removed while the run waits end the run at the list's end.
            const int rows = m_host.SourceCount();
            if (i > rows)
                break;
            const float percent = float(double(i) / double(rows) * 100.0);
            m_host.SetProgress(qBound(0, qRound(percent), 100));
            m_host.SetMousePointer(Pointer::Hourglass);

            // The row is read once: its line names the PDF worked on even when
            // rows are removed meanwhile.
            const QString source = m_host.SourceText(i);
            const QString problem = haveWorkCopy ? ExtractOne(source) : QStringLiteral("no work copy could be made");
            if (m_abandoned)
                return;
            if (!problem.isEmpty()) {
                const QString name = Trim1::FileNamePart(source);
                m_problems.append(QStringLiteral("%1: %2.").arg(name.isEmpty() ? source : name, problem));
            }
        }
        m_host.ShowMessage(ExtractRun::FinalMessage(m_problems), ExtractRun::FinalDetails(m_problems));
        if (m_abandoned)
            return;
    }
    m_host.SetProgress(0);
    m_host.SetMousePointer(Pointer::Default);
}

QString ExtractJob::ExtractOne(const QString& source)
{
    QString imageFolder;
    if (const QString problem = PrepareImageFolder(&imageFolder); !problem.isEmpty())
        return problem;
    if (const QString problem = SourceProblem(source); !problem.isEmpty())
        return problem;
    if (!QFileInfo(imageFolder).isDir() && !QDir().mkpath(imageFolder))
        return QStringLiteral("the output folder %1 could not be created").arg(imageFolder);
    if (!Main::FolderIsWritable(imageFolder))
        return QStringLiteral("the output folder %1 is not writable").arg(imageFolder);

    // Both programs are looked for before either runs: images extracted for
    // an encoder that is not there would only be thrown away.
    const QString extractor = m_tools.Find(QStringLiteral("pdfimages"));
    if (extractor.isEmpty())
        return QStringLiteral("the image extractor (pdfimages) was not found");
    const QString encoder = m_tools.Find(QStringLiteral("cjpeg"));
    if (encoder.isEmpty())
        return QStringLiteral("the JPEG encoder (cjpeg) was not found");

    QString input;
    if (const QString problem = PrepareInput(source, &input); !problem.isEmpty() || m_abandoned)
        return problem;

    ExtractorOutput output(imageFolder);
    if (!output.IsValid())
        return QStringLiteral("no work folder could be made in the output folder %1").arg(imageFolder);
    m_output = &output;
    const auto forget = qScopeGuard([this] { m_output = nullptr; });
    return ExtractAndEncode(input, imageFolder, extractor, encoder, output);
}

QString ExtractJob::PrepareImageFolder(QString* imageFolder) const
{
    const OutputFolder::Resolved resolved = OutputFolder::Resolve(m_host.OutputFolder());
    *imageFolder = resolved.folder;
    return resolved.problem;
}

QString ExtractJob::PrepareInput(const QString& source, QString* input)
{
    if (m_workCopy.IsWorkCopyName(source)) {
        *input = source;
        return QString();
    }
    *input = m_workCopy.Path();
    const bool filled = BackgroundWork::Run(
        [&](const std::atomic_bool& stop) { return m_workCopy.Fill(source, [&stop] { return !stop; }); }, &m_stopper);
    if (filled || m_abandoned)
        return QString();
    return QStringLiteral("the file could not be copied to the work copy %1").arg(m_workCopy.Path());
}

QString ExtractJob::ExtractAndEncode(const QString& input, const QString& imageFolder, const QString& extractor,
                                     const QString& encoder, ExtractorOutput& output)
{
    ImagePipeline pipeline(m_host, m_numbers, m_stopper, m_abandoned);
    pipeline.SetProgramsAtOnce(m_parallelEncoders);
    pipeline.SetPipelined(m_pipelined);
    const ImagePipeline::Result result = pipeline.Run(input, extractor, encoder, imageFolder, output);
    if (m_abandoned)
        return QString();
    if (!result.extracted.started)
        return QStringLiteral("the image extractor could not be started");
    return Describe(result, imageFolder);
}

QString ExtractJob::Describe(const ImagePipeline::Result& result, const QString& imageFolder)
{
    const QByteArray& said = result.extracted.errorOutput;
    QStringList problems;
    if (result.extracted.result != 0) {
        problems.append(ExtractRun::DescribeExtractorFailure(result.extracted.result, said));
    } else if (said.contains("Couldn't open image file")) {
        // The extractor reports a file it could not write and still exits 0.
        problems.append(QStringLiteral("the image extractor could not write all images to %1").arg(imageFolder));
    } else {
        // Nor does a full disk change its exit code: the images come out short.
        if (result.cutShort > 0)
            problems.append(QStringLiteral("%1 cut short, so the disk of the output folder may be full")
                                .arg(Images(result.cutShort)));
        if (SaidErrors(said))
            problems.append(QStringLiteral("the PDF is damaged, so some of its images may be missing (%1 saved)")
                                .arg(Images(result.whole - result.failed)));
    }
    if (result.failed > 0)
        problems.append(
            QStringLiteral("the JPEG encoder failed for %1 of %2 images").arg(result.failed).arg(result.whole));
    return problems.join(QStringLiteral("; "));
}
