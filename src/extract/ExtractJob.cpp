// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExtractJob.h"

#include "BackgroundWork.h"
#include "ExtractRun.h"
#include "ExtractorMessages.h"
#include "ExtractorOutput.h"
#include "ImagePipeline.h"
#include "util/Main.h"
#include "util/OutputFolder.h"
#include "util/Platform.h"
#include "util/Trim1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>
#include <QTimer>

#include <chrono>

namespace {

// Why a listed path cannot be read as a PDF, or the empty string. Nothing
// that is not a plain file is ever opened: a pipe would wait for ever.
QString sourceProblem(const QString& source)
{
    if (Platform::pathTooLong(source))
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

QString imagesText(int count)
{
    return count == 1 ? QStringLiteral("1 image") : QStringLiteral("%1 images").arg(count);
}

} // namespace

ExtractJob::ExtractJob(ExtractHost& host, const ToolLocator& tools, const Settings& settings)
    : m_host(host)
    , m_tools(tools)
    , m_settings(settings)
    , m_workCopy(tools.applicationFolder())
{
}

void ExtractJob::abandon()
{
    if (m_abandoned)
        return;
    m_abandoned = true;
    m_pdfStopped = true;
    m_stopper.stop();
    if (m_output)
        m_output->remove();
    m_numbers.giveUpPending();
}

void ExtractJob::run()
{
    // However the run ends; the work copy is this run's own, never a PDF
    // that was listed.
    const auto removeWorkCopy = qScopeGuard([this] {
        if (m_settings.removeWorkCopy && !m_workCopy.path().isEmpty())
            Main::DeleteQuietly(m_workCopy.path());
    });
    m_host.setMousePointer(Pointer::Hourglass);
    if (m_host.sourceCount() < 1) {
        m_host.showMessage(QStringLiteral("No files added."));
    } else {
        const int bound = m_host.sourceCount();
        // A listed PDF that bears a work copy's name is never written over.
        QSet<QString> rowsListed;
        for (int i = 1; i <= bound; ++i)
            rowsListed.insert(QFileInfo(m_host.sourceText(i)).canonicalFilePath());
        QString noWorkCopy = prepareWorkCopy();
        if (noWorkCopy.isEmpty() && !m_workCopy.acquire(rowsListed))
            noWorkCopy = QStringLiteral("no work copy could be made");
        for (int i = 1; i <= bound; ++i) {
            // Rows removed while the run waits end the run at the list's end.
            const int rows = m_host.sourceCount();
            if (i > rows)
                break;
            workOnRow(i, rows, noWorkCopy);
            if (m_abandoned)
                return;
        }
        const QString leftOut = ExtractRun::leftOutLine(m_leftOut);
        if (!leftOut.isEmpty())
            m_host.leftOut(leftOut);
        const QString lines = QStringList{leftOut, m_settings.confinementNote}.join(QLatin1Char('\n')).trimmed();
        m_host.showMessage(ExtractRun::finalMessage(m_problems, lines), ExtractRun::finalDetails(m_problems));
        if (m_abandoned)
            return;
    }
    m_host.setProgress(0);
    m_host.setMousePointer(Pointer::Default);
}

QString ExtractJob::prepareWorkCopy()
{
    if (!m_settings.workCopyInOutputFolder)
        return QString();
    QString folder;
    if (const QString problem = prepareImageFolder(&folder); !problem.isEmpty())
        return problem;
    if (const QString problem = Main::prepareFolder(folder); !problem.isEmpty())
        return problem;
    // A killed run's work folders go before this run makes its own.
    m_staleWork.clearOnce(folder);
    if (!m_workCopy.placeIn(folder))
        return QStringLiteral("no work copy could be made in the output folder %1 (%2)").arg(folder, m_workCopy.why());
    return QString();
}

void ExtractJob::workOnRow(int i, int rows, const QString& noWorkCopy)
{
    // The bar moves on as the PDF's images are done, and stands at i of rows
    // once it is.
    m_pdfProgress = [this, i, rows](qsizetype done, qsizetype listed) {
        // A PDF without a list, or without images, is done at once as far as
        // the bar can tell.
        showProgress(i, rows, listed > 0 ? qMin(1.0, double(done) / double(listed)) : 1.0);
        m_host.rowProgress(i, rows, done, listed);
    };
    showProgress(i, rows, 0.0);
    m_host.rowProgress(i, rows, 0, 0);
    m_host.setMousePointer(Pointer::Hourglass);

    // The row is read once: its line names the PDF worked on even when rows
    // are removed meanwhile.
    m_source = m_host.sourceText(i);
    const QString problem = noWorkCopy.isEmpty() ? extractOne(m_source) : noWorkCopy;
    if (m_abandoned)
        return;
    showProgress(i, rows, 1.0);
    if (!problem.isEmpty()) {
        const QString name = Trim1::FileNamePart(m_source);
        m_problems.append(QStringLiteral("%1: %2.").arg(name.isEmpty() ? m_source : name, problem));
        m_host.problemFound(m_source, problem);
    }
}

QString ExtractJob::extractOne(const QString& source)
{
    QString imageFolder;
    if (const QString problem = prepareImageFolder(&imageFolder); !problem.isEmpty())
        return problem;
    if (const QString problem = sourceProblem(source); !problem.isEmpty())
        return problem;
    if (const QString problem = Main::prepareFolder(imageFolder); !problem.isEmpty())
        return problem;
    // What a run killed there before left behind goes first.
    m_staleWork.clearOnce(imageFolder);

    // Both programs are looked for before either runs: images extracted for
    // an encoder that is not there would only be thrown away.
    const ToolLocator::Tools tools = m_tools.findTools();
    if (!tools.problem.isEmpty())
        return tools.problem;
    const QString& extractor = tools.extractor;
    const QString& encoder = tools.encoder;

    QString input;
    if (const QString problem = prepareInput(source, &input); !problem.isEmpty() || m_abandoned)
        return problem;

    ExtractorOutput output(imageFolder);
    if (!output.isValid())
        return QStringLiteral("no work folder could be made in the output folder %1").arg(imageFolder);
    m_output = &output;
    const auto forget = qScopeGuard([this] { m_output = nullptr; });
    return extractAndEncode(input, imageFolder, extractor, encoder, output);
}

QString ExtractJob::prepareImageFolder(QString* imageFolder) const
{
    const OutputFolder::Resolved resolved = OutputFolder::resolve(m_host.outputFolderText());
    *imageFolder = resolved.folder;
    return resolved.problem;
}

QString ExtractJob::prepareInput(const QString& source, QString* input)
{
    if (m_workCopy.isWorkCopyName(source)) {
        *input = source;
        return QString();
    }
    *input = m_workCopy.path();
    const bool filled = BackgroundWork::run(
        [&](const std::atomic_bool& stop) { return m_workCopy.fill(source, [&stop] { return !stop; }); }, &m_stopper);
    if (filled || m_abandoned)
        return QString();
    return QStringLiteral("the file could not be copied to the work copy %1 (%2)")
        .arg(m_workCopy.path(), m_workCopy.why().isEmpty() ? QStringLiteral("unknown error") : m_workCopy.why());
}

QString ExtractJob::extractAndEncode(const QString& input, const QString& imageFolder, const QString& extractor,
                                     const QString& encoder, ExtractorOutput& output)
{
    // The PDF's own stop: the run's stops it too, and so does its time limit,
    // which ends it as an abandoned run ends, and the run goes on.
    Shell32::Stopper stopper;
    const Shell32::Stopper::Hook wholeRun(&m_stopper, [&stopper] { stopper.stop(); });
    m_pdfStopped = false;
    bool timeIsUp = false;
    QTimer limit;
    limit.setSingleShot(true);
    limit.callOnTimeout([&] {
        timeIsUp = true;
        m_pdfStopped = true;
        stopper.stop();
        output.remove();
        m_numbers.giveUpPending();
    });
    if (m_settings.timeLimit > 0)
        limit.start(std::chrono::seconds(m_settings.timeLimit));
    ImagePipeline pipeline(m_host, m_numbers, stopper, m_pdfStopped);
    pipeline.setProgramsAtOnce(m_settings.parallelEncoders);
    pipeline.setPipelined(m_settings.pipelined);
    pipeline.setReadList(m_settings.readList);
    pipeline.setChoices(m_settings.choices);
    pipeline.setSavedContents(m_settings.repeatsByContent ? &m_savedContents : nullptr);
    pipeline.setConfinement(m_settings.confinement);
    pipeline.setOnProgress(m_pdfProgress);
    pipeline.setOnSaved([this](ExtractHost::SavedImage saved) {
        saved.source = m_source;
        m_host.imageSaved(saved);
    });
    if (!m_settings.readList)
        m_pdfProgress(0, 0);
    const ImagePipeline::Result result = pipeline.run(input, extractor, encoder, imageFolder, output);
    limit.stop();
    if (m_abandoned)
        return QString();
    for (int reason = 0; reason < ImageSelection::kReasons; ++reason)
        m_leftOut[reason] += result.leftOut[reason];
    if (timeIsUp) {
        const QString line = QStringLiteral("its programs ran longer than the time limit of %1 s and were stopped")
                                 .arg(m_settings.timeLimit);
        return result.saved() > 0 ? line + QStringLiteral(" (%1 saved before)").arg(imagesText(result.saved())) : line;
    }
    if (result.extracted.result == Shell32::startErrorResult(Shell32::StartError::NotConfined))
        return QStringLiteral("the image extractor could not be confined (%1), so it was not run")
            .arg(QString::fromLocal8Bit(result.extracted.errorOutput));
    if (!result.extracted.started)
        return QStringLiteral("the image extractor could not be started");
    if (const QString words = ExtractRun::loaderWords(result.extracted.result, result.extracted.errorOutput);
        !words.isEmpty())
        return QStringLiteral("the image extractor could not start%1: its loader said \"%2\"")
            .arg(m_settings.confinement.isOn() ? QStringLiteral(" confined") : QString(), words);
    return describe(result, imageFolder);
}

QString ExtractJob::describe(const ImagePipeline::Result& result, const QString& imageFolder) const
{
    const QByteArray& said = result.extracted.errorOutput;
    const ExtractorMessages messages = ExtractorMessages::read(said);
    const bool ended = result.extracted.result == 0;
    // The list names every image the extractor meant to write; those it did
    // not write whole (or, when it ended well, at all) could not be read.
    const int written = result.whole + (ended ? result.cutShort : 0);
    const qsizetype unread = result.listed ? *result.listed - written : 0;
    QStringList problems;
    if (!ended) {
        problems.append(ExtractRun::describeExtractorFailure(result.extracted.result, said));
    } else if (messages.couldNotWrite) {
        // The extractor reports a file it could not write and still exits 0.
        problems.append(QStringLiteral("the image extractor could not write all images to %1").arg(imageFolder));
    } else if (result.cutShort > 0) {
        // Nor does a full disk change its exit code: the images come out short.
        problems.append(QStringLiteral("%1 cut short, so the disk of the output folder may be full")
                            .arg(imagesText(result.cutShort)));
    }
    if (unread > 0 && *result.listed == 1)
        problems.append(QStringLiteral("its only image could not be read"));
    else if (unread > 0)
        problems.append(
            QStringLiteral("%1 of its %2 could not be read").arg(unread).arg(imagesText(int(*result.listed))));
    // Every image a list that agrees with the files names was written whole:
    // the errors only tell of an image missing when it may have escaped the
    // list as well.
    else if (ended && !messages.couldNotWrite && messages.damaged
             && (!result.listed || result.listDisagreed || messages.unlisted))
        problems.append(QStringLiteral("the PDF is damaged, so some of its images may be missing (%1 saved)")
                            .arg(imagesText(result.saved())));
    if (result.unmatched == 1)
        problems.append(QStringLiteral("an image did not match the extractor's list, so it was saved whatever "
                                       "the choices"));
    else if (result.unmatched > 1)
        problems.append(QStringLiteral("%1 images did not match the extractor's list, so they were saved whatever "
                                       "the choices")
                            .arg(result.unmatched));
    if (result.unapplied.count == 1)
        problems.append(QStringLiteral("the mask of 1 image could not be applied (%1), so it was saved without it")
                            .arg(result.unapplied.why));
    else if (result.unapplied.count > 1)
        problems.append(
            QStringLiteral("the masks of %1 images could not be applied (%2), so they were saved without them")
                .arg(result.unapplied.count)
                .arg(result.unapplied.why));
    // Steps of our own that failed are named for what they are.
    const auto failed = [&problems](const ImagePipeline::Failures& failures, const QString& line) {
        if (failures.count > 0)
            problems.append(line.arg(imagesText(failures.count), failures.why));
    };
    failed(result.unclaimed, QStringLiteral("no JPEG file could be made in the output folder for %1 (%2)"));
    failed(result.unmoved, QStringLiteral("%1 could not be moved out of the work folder (%2)"));
    failed(result.unconverted, QStringLiteral("%1 could not be converted from black and white to grey (%2)"));
    failed(result.notConfined, QStringLiteral("the JPEG encoder could not be confined for %1 (%2), so it was not run"));
    failed(result.notLoaded,
           m_settings.confinement.isOn()
               ? QStringLiteral("the JPEG encoder could not start confined for %1: its loader said \"%2\"")
               : QStringLiteral("the JPEG encoder could not start for %1: its loader said \"%2\""));
    if (result.refused == 1)
        problems.append(
            QStringLiteral("the image extractor wrote 1 file that was not a well-formed image of its kinds, "
                           "so it was not saved"));
    else if (result.refused > 1)
        problems.append(QStringLiteral("the image extractor wrote %1 files that were not well-formed images of its "
                                       "kinds, so they were not saved")
                            .arg(result.refused));
    if (result.encoderFailed > 0)
        problems.append(QStringLiteral("the JPEG encoder failed for %1 of %2 images")
                            .arg(result.encoderFailed)
                            .arg(result.encoded + result.encoderFailed));
    return problems.join(QStringLiteral("; "));
}

void ExtractJob::showProgress(int i, int rows, double part)
{
    const float percent = float((double(i - 1) + part) / double(rows) * 100.0);
    const int value = qBound(0, qRound(percent), 100);
    if (value == m_shown)
        return;
    m_shown = value;
    m_host.setProgress(value);
}
