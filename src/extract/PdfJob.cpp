// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PdfJob.h"

#include "BackgroundWork.h"
#include "ExtractRun.h"
#include "ExtractorMessages.h"
#include "ImageNumbers.h"
#include "StaleWork.h"
#include "ToolLocator.h"
#include "WorkCopy.h"
#include "util/Main.h"
#include "util/OutputFolder.h"
#include "util/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// The copy the extractor reads in a work folder of its own.
const QString kOwnCopy = QStringLiteral("source.pdf");

} // namespace

PdfJob::PdfJob(const Run& run, int row, int rows, const QString& source, std::function<void(double)> progress)
    : m_run(run)
    , m_row(row)
    , m_rows(rows)
    , m_source(source)
    , m_progress(std::move(progress))
{
    // The run's stop stops it too.
    m_wholeRun = std::make_unique<Shell32::Stopper::Hook>(&m_run.stopper, [this] { m_stopper.stop(); });
    m_limit.setSingleShot(true);
    m_limit.callOnTimeout([this] { stopForTime(); });
}

PdfJob::~PdfJob() = default;

bool PdfJob::prepare(WorkCopy* workCopy, ImagePipeline::ListWhen list)
{
    const OutputFolder::Resolved resolved = OutputFolder::resolve(m_run.host.outputFolderText());
    m_imageFolder = resolved.folder;
    m_problem = resolved.problem;
    if (m_problem.isEmpty())
        m_problem = sourceProblem(m_source);
    if (m_problem.isEmpty())
        m_problem = Main::prepareFolder(m_imageFolder);
    if (!m_problem.isEmpty())
        return false;
    // What a run killed there before left behind goes first.
    m_run.staleWork.clearOnce(m_imageFolder);

    // Both programs are looked for before either runs: images extracted for
    // an encoder that is not there would only be thrown away.
    const ToolLocator::Tools tools = m_run.tools.findTools();
    if (!tools.problem.isEmpty()) {
        m_problem = tools.problem;
        return false;
    }
    m_output = std::make_unique<ExtractorOutput>(m_imageFolder);
    if (!m_output->isValid()) {
        m_problem = QStringLiteral("no work folder could be made in the output folder %1").arg(m_imageFolder);
        return false;
    }
    // Its time counts from here on.
    m_timeLeftMs = qint64(m_run.settings.timeLimit) * 1000;
    if (m_timeLeftMs > 0) {
        m_counting.start();
        m_limit.start(int(m_timeLeftMs));
    }
    m_problem = prepareInput(workCopy);
    if (!m_problem.isEmpty() || m_stopped)
        return false;

    m_pipeline = std::make_unique<ImagePipeline>(m_run.host, m_run.numbers, m_stopper, m_stopped);
    m_pipeline->setPipelined(m_run.settings.pipelined);
    m_pipeline->setListWhen(list);
    m_pipeline->setChoices(m_run.settings.choices);
    m_pipeline->setSavedContents(m_run.settings.repeatsByContent ? &m_run.savedContents : nullptr);
    m_pipeline->setConfinement(m_run.settings.confinement);
    m_pipeline->setOnProgress([this](qsizetype done, qsizetype listed) {
        if (!m_takesImages)
            return;
        // A PDF without a list, or without images, is done at once as far as
        // the bar can tell.
        m_progress(listed > 0 ? qMin(1.0, double(done) / double(listed)) : 1.0);
        m_run.host.rowProgress(m_row, m_rows, done, listed);
    });
    m_pipeline->setOnSaved([this](ExtractHost::SavedImage saved) {
        saved.source = m_source;
        m_run.host.imageSaved(saved);
    });
    m_pipeline->begin(m_input, tools.extractor, tools.encoder, m_imageFolder, *m_output, &m_run.waker);
    return true;
}

QString PdfJob::prepareInput(WorkCopy* workCopy)
{
    if (workCopy && workCopy->isWorkCopyName(m_source)) {
        m_input = m_source;
        return QString();
    }
    if (workCopy) {
        m_workCopy = workCopy;
        m_input = workCopy->path();
    } else {
        // Out of the extractor's reach: it writes only in its own folder
        // inside the work folder.
        m_ownCopy = m_output->folder() + kOwnCopy;
        m_input = m_ownCopy;
    }
    const QString input = m_input;
    QString why;
    const auto copy = [&](const std::atomic_bool& stop) {
        const auto keepGoing = [&stop] { return !stop; };
        if (!workCopy)
            return WorkCopy::copy(m_source, input, keepGoing, &why);
        const bool ok = workCopy->fill(m_source, keepGoing);
        why = workCopy->why();
        return ok;
    };
    // A PDF of a few pages is copied at once: no program starts while a
    // copy is waited for.
    const bool filled = BackgroundWork::run(QFileInfo(m_source).size(), copy, &m_stopper);
    if (filled || m_stopped)
        return QString();
    return QStringLiteral("the file could not be copied to the work copy %1 (%2)")
        .arg(input, why.isEmpty() ? QStringLiteral("unknown error") : why);
}

std::optional<ImagePipeline::Program> PdfJob::next(bool idle)
{
    if (!m_pipeline || m_stopped)
        return std::nullopt;
    return m_pipeline->next(idle);
}

void PdfJob::finished(const ImagePipeline::Program& program, const Shell32::Outcome& outcome)
{
    if (!m_pipeline)
        return;
    m_pipeline->finished(program, outcome);
    if (program.role == ImagePipeline::Program::Extractor && !m_takesImages && m_output) {
        // Counted once, as the extractor leaves it: the run asks often.
        m_waitingBytes = m_ownCopy.isEmpty() ? 0 : QFileInfo(m_ownCopy).size();
        for (const QFileInfo& file : QDir(m_output->extractorFolder()).entryInfoList(QDir::Files | QDir::Hidden))
            m_waitingBytes += file.size();
    }
    // Read ahead, it waits for its turn with its images written: that time
    // is no time of its programs.
    if (program.role == ImagePipeline::Program::Extractor && !m_takesImages && m_limit.isActive()) {
        m_timeLeftMs -= m_counting.elapsed();
        m_limit.stop();
    }
}

void PdfJob::takeImages()
{
    m_takesImages = true;
    if (m_pipeline)
        m_pipeline->setTakingImages(true);
    if (m_timeLeftMs > 0 && !m_limit.isActive() && !m_timeIsUp) {
        m_counting.start();
        m_limit.start(int(qMax<qint64>(1, m_timeLeftMs)));
    }
}

bool PdfJob::imagesDecided() const
{
    return !m_pipeline || m_stopped || m_pipeline->imagesDecided();
}

qint64 PdfJob::waitingBytes() const
{
    return m_stopped || m_takesImages ? 0 : m_waitingBytes;
}

bool PdfJob::done() const
{
    return !m_pipeline || m_pipeline->ended();
}

void PdfJob::stopForTime()
{
    m_timeIsUp = true;
    m_stopped = true;
    m_stopper.stop();
    if (m_pipeline)
        m_pipeline->giveUpClaims();
    if (m_output)
        m_output->remove();
}

void PdfJob::abandon()
{
    m_abandoned = true;
    m_stopped = true;
    m_limit.stop();
    m_stopper.stop();
    if (m_pipeline)
        m_pipeline->giveUpClaims();
    if (m_output)
        m_output->remove();
}

QString PdfJob::close(const QString& keepInput)
{
    m_limit.stop();
    if (m_pipeline)
        m_result = m_pipeline->end();
    if (!keepInput.isEmpty() && !m_ownCopy.isEmpty() && QFileInfo::exists(m_ownCopy)) {
        // The window leaves the copy of its last PDF where it keeps its work
        // copy; on another file system it is copied there.
        Main::DeleteQuietly(keepInput);
        if (!QFile::rename(m_ownCopy, keepInput))
            WorkCopy::copy(m_ownCopy, keepInput);
    }
    const QString problem = m_problem.isEmpty() && m_pipeline ? describe(m_result) : m_problem;
    m_pipeline.reset();
    if (m_output)
        m_output->remove();
    return problem;
}

QString PdfJob::describe(const ImagePipeline::Result& result) const
{
    const ExtractSettings& settings = m_run.settings;
    if (m_timeIsUp) {
        const QString line = QStringLiteral("its programs ran longer than the time limit of %1 s and were stopped")
                                 .arg(settings.timeLimit);
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
            .arg(settings.confinement.isOn() ? QStringLiteral(" confined") : QString(), words);

    return (extractionProblems(result) + imageProblems(result)).join(QStringLiteral("; "));
}

QStringList PdfJob::extractionProblems(const ImagePipeline::Result& result) const
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
        problems.append(QStringLiteral("the image extractor could not write all images to %1").arg(m_imageFolder));
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
    return problems;
}

QStringList PdfJob::imageProblems(const ImagePipeline::Result& result) const
{
    QStringList problems;
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
           m_run.settings.confinement.isOn()
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
    return problems;
}
