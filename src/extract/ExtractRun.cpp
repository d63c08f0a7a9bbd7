#include "ExtractRun.h"

#include "PbmToPgm.h"
#include "Shell32.h"
#include "WorkCopy.h"
#include "util/AddFolder.h"
#include "util/Main.h"
#include "util/Platform.h"
#include "util/ShortFilename.h"
#include "util/Trim1.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

namespace {

constexpr int kBusy = 11;
constexpr int kDefault = 0;
constexpr int kHidden = 0;

// Marks the run as in progress for exactly as long as it lasts.
class RunningFlag
{
public:
    explicit RunningFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RunningFlag() { m_flag = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& m_flag;
};

// The names the extractor gives the images of one PDF: the base name, "-",
// its image number and ".ppm", or ".pbm" for a black-and-white image.
QRegularExpression ImageNamePattern(const QString& baseName)
{
    QRegularExpression::PatternOptions options = QRegularExpression::NoPatternOption;
#ifdef Q_OS_WIN
    options |= QRegularExpression::CaseInsensitiveOption;
#endif
    return QRegularExpression(QStringLiteral("^%1-[0-9]+\\.p[pb]m$").arg(QRegularExpression::escape(baseName)), options);
}

QStringList ExtractorImages(const QString& imageFolder, const QRegularExpression& pattern)
{
    QStringList images;
    for (const QString& name : AddFolder::ListFiles(imageFolder, QStringLiteral("*.p?m")))
        if (pattern.match(name).hasMatch())
            images.append(name);
    return images;
}

bool SameFile(const QString& a, const QString& b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

bool NonEmptyFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}

} // namespace

ExtractRun::ExtractRun(ExtractHost& host, ToolLocator tools)
    : m_host(host)
    , m_tools(std::move(tools))
    , m_parallelEncoders(qMax(1, QThread::idealThreadCount()))
{
}

QString ExtractRun::SafeArgument(const QString& path)
{
    if (path.startsWith(QLatin1Char('-')))
        return QLatin1Char('.') + Platform::SeparatorString() + path;
    return path;
}

QString ExtractRun::FinalMessage(const QStringList& problems)
{
    QString message = QStringLiteral("Done.");
    if (!problems.isEmpty())
        message += QStringLiteral("\n\n") + problems.join(QLatin1Char('\n'));
    return message;
}

QString ExtractRun::DescribeExtractorFailure(int exitCode, const QByteArray& errorOutput)
{
    const QString said = QString::fromLocal8Bit(errorOutput);
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

void ExtractRun::ExtractAll()
{
    if (m_running)
        return;
    RunningFlag running(m_running);
    m_problems.clear();

    m_host.SetMousePointer(kBusy);
    if (m_host.SourceCount() < 1) {
        m_host.ShowMessage(QStringLiteral("No files added."));
    } else {
        WorkCopy workCopy(m_tools.ApplicationFolder());
        const bool haveWorkCopy = workCopy.Acquire();
        const int bound = m_host.SourceCount();
        for (int i = 1; i <= bound; ++i) {
            // Rows removed while the run waits end the run at the list's end.
            const int rows = m_host.SourceCount();
            if (i > rows)
                break;
            const float percent = float(double(i) / double(rows) * 100.0);
            m_host.SetProgress(qBound(0, qRound(percent), 100));
            m_host.SetMousePointer(kBusy);

            QString problem;
            if (!haveWorkCopy)
                problem = QStringLiteral("no work copy could be made");
            else
                problem = ExtractOne(i, workCopy.Path());
            if (!problem.isEmpty()) {
                const QString name = Trim1::FileNamePart(m_host.SourceText(i));
                m_problems.append(QStringLiteral("%1: %2.").arg(name.isEmpty() ? m_host.SourceText(i) : name, problem));
            }
        }
        m_host.ShowMessage(FinalMessage(m_problems));
    }
    m_host.SetProgress(0);
    m_host.SetMousePointer(kDefault);
}

QString ExtractRun::ExtractOne(int row, const QString& workCopy)
{
    const QString source = m_host.SourceText(row);
    const QString baseName = Trim1::StripExtension(Trim1::FileNamePart(source));

    // The output folder is a folder: text without a final separator gets one.
    QString folderText = m_host.OutputFolder();
    if (folderText.isEmpty())
        return QStringLiteral("no output folder is given");
    if (!folderText.endsWith(Platform::Separator()))
        folderText += Platform::Separator();
    const QString imagePrefix = Trim1::CollapseDoubledSeparators(folderText + baseName);
    const QString imageFolder = Trim1::FolderPart(imagePrefix);

    const QFileInfo sourceInfo(source);
    if (!sourceInfo.isFile())
        return QStringLiteral("the file is missing");
    QFile readable(source);
    if (!readable.open(QIODevice::ReadOnly))
        return QStringLiteral("the file cannot be read");
    readable.close();

    if (!QFileInfo(imageFolder).isDir() && !QDir().mkpath(imageFolder))
        return QStringLiteral("the output folder %1 could not be created").arg(imageFolder);
    if (!Main::FolderIsWritable(imageFolder))
        return QStringLiteral("the output folder %1 is not writable").arg(imageFolder);

    const QString extractor = m_tools.Find(QStringLiteral("pdfimages"));
    if (extractor.isEmpty())
        return QStringLiteral("the image extractor (pdfimages) was not found");

    // The extractor reads a work copy. A source that is the work copy itself
    // is read where it is.
    QString input = workCopy;
    if (SameFile(source, workCopy)) {
        input = source;
    } else {
        Main::DeleteQuietly(workCopy);
        if (!QFile::copy(source, workCopy))
            return QStringLiteral("the file could not be copied to the work copy %1").arg(workCopy);
    }

    // Only what this extractor run writes is ever converted and removed. The
    // extractor replaces files that bear the names it writes, so when the
    // folder already holds such files it is given another prefix instead.
    QString prefix = imagePrefix;
    QRegularExpression pattern = ImageNamePattern(Trim1::FileNamePart(prefix));
    QStringList before = ExtractorImages(imageFolder, pattern);
    for (int n = 2; !before.isEmpty() && n < 1000; ++n) {
        prefix = imagePrefix + QStringLiteral(" (%1)").arg(n);
        pattern = ImageNamePattern(Trim1::FileNamePart(prefix));
        before = ExtractorImages(imageFolder, pattern);
    }

    const Shell32::Outcome extracted = Shell32::Run(
        extractor, {SafeArgument(input), SafeArgument(prefix)}, kHidden);
    if (!extracted.started)
        return QStringLiteral("the image extractor could not be started");

    const QSet<QString> old(before.cbegin(), before.cend());
    QStringList images;
    for (const QString& name : ExtractorImages(imageFolder, pattern))
        if (!old.contains(name))
            images.append(name);

    QString problem;
    if (extracted.result != 0)
        problem = DescribeExtractorFailure(extracted.result, extracted.errorOutput);
    else if (extracted.errorOutput.contains("Couldn't open image file"))
        // The extractor reports a file it could not write and still exits 0.
        problem = QStringLiteral("the image extractor could not write all images to %1").arg(imageFolder);

    if (images.isEmpty())
        return problem;

    const QString encoder = m_tools.Find(QStringLiteral("cjpeg"));
    if (encoder.isEmpty()) {
        for (const QString& name : images)
            Main::DeleteQuietly(imageFolder + name);
        const QString missing = QStringLiteral("the JPEG encoder (cjpeg) was not found");
        return problem.isEmpty() ? missing : problem + QStringLiteral("; ") + missing;
    }

    const int failed = EncodeImages(imageFolder, images, encoder);
    if (failed > 0) {
        const QString encoding = QStringLiteral("the JPEG encoder failed for %1 of %2 images").arg(failed).arg(images.size());
        problem = problem.isEmpty() ? encoding : problem + QStringLiteral("; ") + encoding;
    }
    return problem;
}

int ExtractRun::EncodeImages(const QString& imageFolder, const QStringList& images, const QString& encoder)
{
    struct Image {
        QString listed;   // the extractor's file
        QString numbered; // its numbered copy
        QString jpeg;
    };

    int failed = 0;
    int number = 1;
    QList<Image> prepared(images.size());

    // Each image gets its number and numbered copy just before its encoder
    // starts, in image order, so the numbers never depend on which encoder
    // happens to end first.
    const auto prepare = [&](int k) -> std::optional<Shell32::Command> {
        m_host.SetMousePointer(kBusy);
        QCoreApplication::processEvents();

        QString folder = ShortFilename::GetShortName(imageFolder);
        if (folder.isEmpty())
            folder = imageFolder; // never the process's current folder
        // The lowest number from here on whose JPEG and numbered copies are
        // all free: nothing already in the folder is ever replaced.
        const auto taken = [&folder](int n) {
            const QString stem = folder + QString::number(n);
            return QFileInfo::exists(stem + QStringLiteral(".jpg")) || QFileInfo::exists(stem + QStringLiteral(".ppm"))
                   || QFileInfo::exists(stem + QStringLiteral(".pgm"));
        };
        while (taken(number))
            ++number;
        Image& image = prepared[k];
        image.listed = imageFolder + images.at(k);
        const bool blackAndWhite = image.listed.endsWith(QLatin1String(".pbm"), Qt::CaseInsensitive);
        image.numbered = folder + QString::number(number) + (blackAndWhite ? QStringLiteral(".pgm") : QStringLiteral(".ppm"));
        image.jpeg = Trim1::StripExtension(image.numbered) + QStringLiteral(".jpg");
        ++number;

        bool ready;
        if (blackAndWhite) {
            // The encoder reads no 1-bit images: it gets them as grey.
            ready = PbmToPgm::Convert(image.listed, image.numbered);
        } else {
            // The listed file goes away afterwards anyway: renaming it gives
            // the same numbered copy without copying any image data.
            ready = QFile::rename(image.listed, image.numbered) || QFile::copy(image.listed, image.numbered);
        }
        if (!ready) {
            ++failed;
            Main::DeleteQuietly(image.listed);
            Main::DeleteQuietly(image.numbered);
            return std::nullopt;
        }
        return Shell32::Command{encoder,
                                {QStringLiteral("-outfile"), SafeArgument(image.jpeg), SafeArgument(image.numbered)}};
    };

    const auto finished = [&](int k, const Shell32::Outcome& outcome) {
        const Image& image = prepared.at(k);
        if (outcome.result != 0 || !NonEmptyFile(image.jpeg)) {
            ++failed;
            Main::DeleteQuietly(image.jpeg); // no empty or partial JPEG stays behind
        }
        if (Main::FileExists(image.listed))
            Main::DeleteQuietly(image.listed);
        if (Main::FileExists(image.numbered))
            Main::DeleteQuietly(image.numbered);
    };

    Shell32::RunEachAndWait(int(images.size()), m_parallelEncoders, prepare, finished, kHidden);
    return failed;
}
