// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExtractJob.h"

#include "ExtractRun.h"
#include "util/Main.h"
#include "util/OutputFolder.h"
#include "util/Trim1.h"

#include <QFileInfo>
#include <QScopeGuard>

ExtractJob::ExtractJob(ExtractHost& host, const ToolLocator& tools, const Settings& settings)
    : m_host(host)
    , m_tools(tools)
    , m_settings(settings)
    , m_workCopy(tools.applicationFolder())
{
}

ExtractJob::~ExtractJob() = default;

void ExtractJob::abandon()
{
    if (m_abandoned)
        return;
    m_abandoned = true;
    m_stopper.stop();
    for (const auto& pdf : m_pdfs)
        pdf->abandon();
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
        runRows(bound, noWorkCopy);
        if (m_abandoned)
            return;
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
    const OutputFolder::Resolved resolved = OutputFolder::resolve(m_host.outputFolderText());
    if (!resolved.problem.isEmpty())
        return resolved.problem;
    if (const QString problem = Main::prepareFolder(resolved.folder); !problem.isEmpty())
        return problem;
    // A killed run's work folders go before this run makes its own.
    m_staleWork.clearOnce(resolved.folder);
    if (!m_workCopy.placeIn(resolved.folder))
        return QStringLiteral("no work copy could be made in the output folder %1 (%2)")
            .arg(resolved.folder, m_workCopy.why());
    return QString();
}

void ExtractJob::runRows(int bound, const QString& noWorkCopy)
{
    Shell32::runWhenReady(
        qMax(1, m_settings.parallelEncoders), [&](int index) { return next(index, bound, noWorkCopy); },
        [this](int index, const Shell32::Outcome& outcome) {
            const auto [pdf, program] = m_programs.take(index);
            if (pdf)
                pdf->finished(program, outcome);
        },
        Shell32::WindowStyle::Hidden, &m_stopper, &m_waker);
}

Shell32::Next ExtractJob::next(int index, int bound, const QString& noWorkCopy)
{
    using Shell32::Next;
    const auto start = [this, index](PdfJob* pdf, const ImagePipeline::Program& program) {
        m_programs.insert(index, {pdf, program});
        return Next{Next::Start, program.command};
    };
    for (;;) {
        if (m_abandoned)
            return {Next::Done, {}};
        closeDone(bound);
        handOnNumbers();
        if (m_pdfs.empty() || m_pdfs.back()->imagesDecided()) {
            // No PDF takes images: the next row does, at once.
            if (startRow(bound, noWorkCopy))
                continue;
            if (m_pdfs.empty())
                return {Next::Done, {}};
        }
        // The PDFs before have the first call on a free place: their images
        // are the ones that take numbers.
        for (const auto& pdf : m_pdfs)
            if (const std::optional<ImagePipeline::Program> program = pdf->next(false))
                return start(pdf.get(), *program);
        // Still free: the next PDF is read ahead.
        if (mayReadAhead() && startRow(bound, noWorkCopy))
            continue;
        // Free, and wanted by none: a list that waits for such a place.
        for (const auto& pdf : m_pdfs)
            if (const std::optional<ImagePipeline::Program> program = pdf->next(true))
                return start(pdf.get(), *program);
        // Asking may have settled a PDF: it can close, hand on the numbers or
        // make way for the next row now, with no program to end first.
        if (settled(bound))
            continue;
        return {Next::Wait, {}};
    }
}

bool ExtractJob::mayReadAhead() const
{
    // With one program at a time there is nothing to read beside.
    if (m_settings.parallelEncoders < 2 || m_pdfs.empty())
        return false;
    const qsizetype ahead = qsizetype(m_pdfs.size()) - 1;
    if (ahead == 0)
        return true;
    // More only while those ahead keep little waiting: a long PDF followed
    // by short ones without images would otherwise leave a core idle.
    if (ahead >= kMostAhead * m_settings.parallelEncoders)
        return false;
    qint64 waiting = 0;
    for (auto it = std::next(m_pdfs.cbegin()); it != m_pdfs.cend(); ++it)
        waiting += (*it)->waitingBytes();
    return waiting < kMostWaitingBytes;
}

bool ExtractJob::settled(int bound) const
{
    if (m_pdfs.empty())
        return false;
    const PdfJob& front = *m_pdfs.front();
    if (front.done() || (!front.takesImages() && !front.abandoned()))
        return true;
    return m_pdfs.back()->imagesDecided() && m_nextRow <= bound && m_nextRow <= m_host.sourceCount();
}

bool ExtractJob::startRow(int bound, const QString& noWorkCopy)
{
    // Rows removed while the run waits end the run at the list's end.
    const int rows = m_host.sourceCount();
    if (m_nextRow > bound || m_nextRow > rows)
        return false;
    const int row = m_nextRow++;
    // The row is read once: its line names the PDF worked on even when rows
    // are removed meanwhile.
    const QString source = m_host.sourceText(row);
    const PdfJob::Run run{m_host, m_tools, m_settings, m_numbers, m_staleWork, m_stopper, m_savedContents, m_waker};
    auto pdf = std::make_unique<PdfJob>(run, row, rows, source,
                                        [this, row, rows](double part) { showProgress(row, rows, part); });
    PdfJob* added = m_pdfs.emplace_back(std::move(pdf)).get();
    if (!noWorkCopy.isEmpty())
        return true; // its line says why, in its turn
    // The run's work copy goes to a PDF that takes images at once, while no
    // other PDF reads it; a PDF read ahead copies its own.
    const bool ahead = m_pdfs.size() > 1 && !m_pdfs.at(m_pdfs.size() - 2)->imagesDecided();
    bool copyInUse = false;
    for (const auto& other : m_pdfs)
        copyInUse = copyInUse || other->workCopy() == &m_workCopy;
    if (added->prepare(ahead || copyInUse ? nullptr : &m_workCopy, listWhen(source, rows)) && !m_abandoned)
        handOnNumbers();
    return true;
}

ImagePipeline::ListWhen ExtractJob::listWhen(const QString& source, int rows) const
{
    using ListWhen = ImagePipeline::ListWhen;
    if (!m_settings.readList)
        return ListWhen::Never;
    // The choices go by its word; a record names each image's page and kind;
    // and where the bar shows one PDF, it shows how far the PDF has come.
    if (m_settings.choices.needList() || m_settings.listForRecord || rows == 1 || QFileInfo(source).size() >= kLargePdf)
        return ListWhen::Beside;
    // Otherwise it costs almost a second reading of the PDF for a count that
    // matters only where the extractor says an image could not be read.
    return ListWhen::WhenIdle;
}

void ExtractJob::handOnNumbers()
{
    // A PDF takes images once every PDF before it is done, as rows did one
    // after another.
    if (m_pdfs.empty())
        return;
    PdfJob& pdf = *m_pdfs.front();
    if (pdf.takesImages() || pdf.abandoned() || pdf.imagesDecided())
        return;
    // Rows removed while the run waits end the run at the list's end, a row
    // read ahead beyond it as well.
    if (pdf.row() > m_host.sourceCount()) {
        pdf.abandon();
        return;
    }
    showProgress(pdf.row(), pdf.rows(), 0.0);
    m_host.rowProgress(pdf.row(), pdf.rows(), 0, 0);
    m_host.setMousePointer(Pointer::Hourglass);
    pdf.takeImages();
}

void ExtractJob::closeDone(int bound)
{
    while (!m_pdfs.empty() && m_pdfs.front()->done() && !m_abandoned) {
        const std::unique_ptr<PdfJob> pdf = std::move(m_pdfs.front());
        m_pdfs.pop_front();
        // The window leaves its last PDF's copy where it keeps its work copy.
        const bool last = m_pdfs.empty() && (m_nextRow > bound || m_nextRow > m_host.sourceCount());
        // One read ahead beyond the rows left is gone without a word.
        if (pdf->abandoned())
            continue;
        const QString problem = pdf->close(
            last && !m_settings.removeWorkCopy && pdf->workCopy() == nullptr ? m_workCopy.path() : QString());
        for (int reason = 0; reason < ImageSelection::kReasons; ++reason)
            m_leftOut[reason] += pdf->result().leftOut[reason];
        showProgress(pdf->row(), pdf->rows(), 1.0);
        if (!problem.isEmpty()) {
            const QString name = Trim1::FileNamePart(pdf->source());
            m_problems.append(QStringLiteral("%1: %2.").arg(name.isEmpty() ? pdf->source() : name, problem));
            m_host.problemFound(pdf->source(), problem);
        }
    }
}

void ExtractJob::showProgress(int i, int rows, double part)
{
    const float percent = float((double(i - 1) + part) / double(rows) * 100.0);
    const int value = qBound(0, qRound(percent), 100);
    // PDFs overlap: the bar only ever moves on.
    if (value <= m_shown)
        return;
    m_shown = value;
    m_host.setProgress(value);
}
