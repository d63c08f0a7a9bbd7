#include "ExtractJob.h"

#include "BackgroundWork.h"
#include "ExtractRun.h"
#include "ExtractorOutput.h"
#include "PbmToPgm.h"
#include "util/Main.h"
#include "util/OutputFolder.h"
#include "util/Platform.h"
#include "util/ShortFilename.h"
#include "util/Trim1.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>

namespace {

constexpr int kBusy = 11;
constexpr int kDefault = 0;
constexpr int kHidden = 0;

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

bool NonEmptyFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
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

ExtractJob::ExtractJob(ExtractHost& host, const ToolLocator& tools, int parallelEncoders)
    : m_host(host)
    , m_tools(tools)
    , m_parallelEncoders(parallelEncoders)
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
    m_host.SetMousePointer(kBusy);
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
            m_host.SetMousePointer(kBusy);

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
    m_host.SetMousePointer(kDefault);
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
    const Shell32::Outcome extracted = Shell32::Run(
        extractor, {ExtractRun::SafeArgument(input), output.Prefix()}, kHidden, &m_stopper);
    if (m_abandoned)
        return QString();
    if (!extracted.started)
        return QStringLiteral("the image extractor could not be started");

    // An image cut short is never handed on: the encoder would make a broken
    // JPEG of it, or none.
    QStringList whole;
    int cutShort = 0;
    for (const QString& image : output.Images()) {
        if (ExtractorOutput::IsWhole(image))
            whole.append(image);
        else
            ++cutShort;
    }
    const int failed = whole.isEmpty() ? 0 : EncodeImages(imageFolder, whole, encoder, output);
    if (m_abandoned)
        return QString();

    QStringList problems;
    if (extracted.result != 0) {
        problems.append(ExtractRun::DescribeExtractorFailure(extracted.result, extracted.errorOutput));
    } else if (extracted.errorOutput.contains("Couldn't open image file")) {
        // The extractor reports a file it could not write and still exits 0.
        problems.append(QStringLiteral("the image extractor could not write all images to %1").arg(imageFolder));
    } else {
        // Nor does a full disk change its exit code: the images come out short.
        if (cutShort > 0)
            problems.append(QStringLiteral("%1 cut short, so the disk of the output folder may be full")
                                .arg(Images(cutShort)));
        if (SaidErrors(extracted.errorOutput))
            problems.append(QStringLiteral("the PDF is damaged, so some of its images may be missing (%1 saved)")
                                .arg(Images(int(whole.size()) - failed)));
    }
    if (failed > 0)
        problems.append(QStringLiteral("the JPEG encoder failed for %1 of %2 images").arg(failed).arg(whole.size()));
    return problems.join(QStringLiteral("; "));
}

int ExtractJob::EncodeImages(const QString& imageFolder, const QStringList& images, const QString& encoder,
                             const ExtractorOutput& output)
{
    struct Image {
        QString listed;   // the extractor's file
        QString numbered; // its numbered copy, in the work folder
        QString jpeg;     // the claimed JPEG file
    };
    QList<Image> prepared(images.size());
    int failed = 0;
    QString jpegFolder = ShortFilename::GetShortName(imageFolder);
    if (jpegFolder.isEmpty())
        jpegFolder = imageFolder; // never the process's current folder

    // Each image gets its number just before its encoder starts, in image
    // order, so the numbers never depend on which encoder happens to end first.
    const auto prepare = [&](int k) -> std::optional<Shell32::Command> {
        m_host.SetMousePointer(kBusy);
        QCoreApplication::processEvents();
        if (m_abandoned)
            return std::nullopt;
        Image& image = prepared[k];
        image.listed = images.at(k);
        image.jpeg = m_numbers.Claim(jpegFolder);
        bool ready = !image.jpeg.isEmpty();
        if (ready) {
            const bool blackAndWhite = image.listed.endsWith(QLatin1String(".pbm"), Qt::CaseInsensitive);
            image.numbered = output.Folder() + Trim1::StripExtension(Trim1::FileNamePart(image.jpeg))
                             + (blackAndWhite ? QStringLiteral(".pgm") : image.listed.right(4));
            // The encoder reads no 1-bit images: it gets them as grey. Any
            // other image only changes its name, with no data copied.
            ready = blackAndWhite ? BackgroundWork::Run(
                                        [&](const std::atomic_bool& stop) {
                                            return PbmToPgm::Convert(image.listed, image.numbered, [&stop] { return !stop; });
                                        },
                                        &m_stopper)
                                  : QFile::rename(image.listed, image.numbered);
        }
        if (m_abandoned)
            return std::nullopt;
        if (!ready) {
            ++failed;
            m_numbers.Finish(image.jpeg, false);
            Main::DeleteQuietly(image.listed);
            Main::DeleteQuietly(image.numbered);
            return std::nullopt;
        }
        return Shell32::Command{encoder,
                                {QStringLiteral("-outfile"), ExtractRun::SafeArgument(image.jpeg),
                                 ExtractRun::SafeArgument(image.numbered)}};
    };

    const auto finished = [&](int k, const Shell32::Outcome& outcome) {
        const Image& image = prepared.at(k);
        // No empty or partial JPEG stays behind.
        const bool made = outcome.result == 0 && NonEmptyFile(image.jpeg);
        if (!made)
            ++failed;
        m_numbers.Finish(image.jpeg, made);
        Main::DeleteQuietly(image.listed);
        Main::DeleteQuietly(image.numbered);
    };

    Shell32::RunEachAndWait(int(images.size()), m_parallelEncoders, prepare, finished, kHidden, &m_stopper);
    return failed;
}
