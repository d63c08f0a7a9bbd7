// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

// orvalin_bench [repeats]
//
// Makes its own corpus in a temporary folder and times, alternating, in one run:
//  (a) the extraction run, driven headless: pipelined, without the
//      extractor's list beside it, keeping JPEG images as they are, leaving
//      out repeats known by their object alone and by their content too,
//      with the extractor alone, and with one program at a time; and the
//      same run through the command line, orvalin-extract,
//  (b) the bare sequential pipeline: the same pdfimages and cjpeg calls one
//      after another,
//  (c) the bare pipelined floor: the same calls, each image encoded as soon as
//      it is finished,
// then a corpus with soft masks, its masks saved, left out and applied, the
// run confined against the same run unconfined, numbering in a full
// folder, how soon the runner notices a program's end, and the folder scan of
// a large tree against find. Prints medians, ratios and the peak size of the
// run's intermediate files.
//
// orvalin_bench [repeats] documents
//
// Instead, a corpus shaped like a folder of real documents, 200 PDFs mostly of
// text and drawing (see documentPlan), timed alternating in one run: the bare
// sequential pipeline over the batch, two bare PDFs at once, the command line,
// the window's run driven headless, and the extractor and its list alone.

#include "HeadlessHost.h"
#include "PeakMemory.h"
#include "TestDocument.h"
#include "TestPdf.h"
#include "confine/Confinement.h"
#include "extract/ExtractRun.h"
#include "extract/NetpbmHeader.h"
#include "extract/PbmToPgm.h"
#include "extract/Shell32.h"
#include "sourcelist/FolderScan.h"
#include "util/AddFolder.h"
#include "util/EventLoopYield.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <numeric>
#include <optional>
#include <vector>

namespace {

using Host = HeadlessHost;

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

// The pipeline with no tool around it: the extractor, then the encoder for
// each image in turn, each started and waited for directly.
void barePipeline(const QString& pdfimages, const QString& cjpeg, const QString& pdf, const QString& out)
{
    QProcess::execute(pdfimages, {pdf, out + QStringLiteral("corpus")});
    QStringList images =
        QDir(out).entryList({QStringLiteral("*.ppm"), QStringLiteral("*.pbm")}, QDir::Files, QDir::Name);
    int k = 1;
    for (const QString& name : images) {
        const QString input = out + name;
        QString encodable = input;
        if (name.endsWith(QLatin1String(".pbm"))) {
            // The encoder reads no 1-bit images; the bare pipeline converts
            // them with the same code the run uses, so both do the same work.
            encodable = out + QString::number(k) + QStringLiteral(".pgm");
            PbmToPgm::convert(input, encodable);
        }
        QProcess::execute(cjpeg,
                          {QStringLiteral("-outfile"), out + QString::number(k) + QStringLiteral(".jpg"), encodable});
        QFile::remove(input);
        if (encodable != input)
            QFile::remove(encodable);
        ++k;
    }
}

// The floor of the pipelined design with no tool around it: the extractor
// runs, and every image it has finished (the next one exists, or it has
// ended, and the image is as long as its header says) is encoded at once,
// with as many programs running as there are cores, the extractor counting
// as one.
void barePipelined(const QString& pdfimages, const QString& cjpeg, const QString& pdf, const QString& out, int cores)
{
    const QString prefix = out + QStringLiteral("corpus");
    QEventLoop loop;
    QProcess extractor;
    bool extracting = true;
    int next = 0;
    int k = 1;
    int encoding = 0;
    std::vector<std::unique_ptr<QProcess>> encoders;
    const auto find = [&prefix](int n) {
        const QString stem = prefix + QLatin1Char('-') + QString::number(n).rightJustified(3, QLatin1Char('0'));
        for (const char* suffix : {".ppm", ".pbm", ".pgm"})
            if (QFileInfo::exists(stem + QLatin1String(suffix)))
                return stem + QLatin1String(suffix);
        return QString();
    };
    std::function<void()> pump = [&] {
        while (encoding < (extracting ? cores - 1 : cores)) {
            const QString image = find(next);
            if (image.isEmpty() || (extracting && find(next + 1).isEmpty()))
                break;
            const std::optional<NetpbmHeader> header = NetpbmHeader::readFile(image);
            if (!header || QFileInfo(image).size() != header->fileSize())
                break;
            ++next;
            QString input = image;
            if (image.endsWith(QLatin1String(".pbm"))) {
                input = out + QString::number(k) + QStringLiteral(".pgm");
                PbmToPgm::convert(image, input);
                QFile::remove(image);
            }
            auto encoder = std::make_unique<QProcess>();
            QObject::connect(encoder.get(), &QProcess::finished, &loop, [&, image, input] {
                --encoding;
                QFile::remove(image);
                QFile::remove(input);
                pump();
            });
            encoder->start(cjpeg,
                           {QStringLiteral("-outfile"), out + QString::number(k++) + QStringLiteral(".jpg"), input});
            ++encoding;
            encoders.push_back(std::move(encoder));
        }
        if (!extracting && encoding == 0 && find(next).isEmpty())
            loop.quit();
    };
    QFileSystemWatcher watcher({out});
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, [&] { pump(); });
    QObject::connect(&extractor, &QProcess::finished, &loop, [&] {
        extracting = false;
        pump();
    });
    extractor.start(pdfimages, {pdf, prefix});
    loop.exec();
}

// One extraction run, driven headless.
void extract(const QString& pdf, const QString& folder, const QString& applicationFolder, int atOnce, bool pipelined,
             bool readList = true, const ExtractChoices& choices = {}, bool repeatsByContent = true)
{
    Host host;
    host.rows = {pdf};
    host.outputFolder = folder;
    ExtractRun run(host, ToolLocator(applicationFolder));
    run.setParallelEncoders(atOnce);
    run.setPipelined(pipelined);
    run.setReadList(readList);
    run.setChoices(choices);
    run.setRepeatsByContent(repeatsByContent);
    run.ExtractAll();
    // Masks left out or applied are named in a line of their own.
    const QString said = host.messages.join(QLatin1Char('|'));
    if (said != QLatin1String("Done.") && !said.startsWith(QLatin1String("Done.\n20 images left out (masks)")))
        std::fprintf(stderr, "run said: %s\n", qPrintable(said));
}

// Pictures with soft masks of their own, as drawing programs export them,
// and photos without.
bool makeMaskedCorpus(const QString& pdf)
{
    using TestPdf::Kind;
    QList<TestPdf::Image> images;
    for (int i = 0; i < 20; ++i) {
        images.append({Kind::Rgb, 800, 600, 400 + i, true});
        images.append({Kind::Jpeg, 800, 600, 500 + i});
    }
    return TestPdf::write(pdf, images);
}

// The masked corpus with its masks saved as images (the default), left out
// and applied, alternating.
void maskWays(const QString& pdf, const QString& applicationFolder, int repeats)
{
    const ExtractChoices::Masks ways[] = {ExtractChoices::Masks::Save, ExtractChoices::Masks::LeaveOut,
                                          ExtractChoices::Masks::Apply};
    const char* names[] = {"masks saved as images", "masks left out", "masks applied"};
    QList<double> times[3];
    for (int r = 0; r < repeats; ++r)
        for (int w = 0; w < 3; ++w) {
            const int way = (w + r) % 3;
            QTemporaryDir out;
            ExtractChoices choices;
            choices.setMasks(ways[way]);
            QElapsedTimer clock;
            clock.start();
            extract(pdf, out.path() + QLatin1Char('/'), applicationFolder, QThread::idealThreadCount(), true, true,
                    choices);
            times[way].append(double(clock.nsecsElapsed()) / 1e6);
        }
    std::printf("\ncorpus with soft masks: 20 colour images of 800x600 with soft masks, 20 JPEG images\n");
    for (int w = 0; w < 3; ++w)
        std::printf("  %-28s %6.0f ms\n", names[w], median(times[w]));
    std::printf("  masks applied / masks saved as images: %.3f\n", median(times[2]) / median(times[0]));
    std::printf("  masks applied / masks left out: %.3f\n", median(times[2]) / median(times[1]));
}

// The most that the run's intermediate files (in its hidden work folders)
// took up at once, sampled every few milliseconds while work runs.
class IntermediateBytes
{
public:
    explicit IntermediateBytes(const QString& folder)
        : m_folder(folder)
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { sample(); });
        m_timer.start(10);
    }
    qint64 peak() const { return m_peak; }

private:
    void sample()
    {
        qint64 bytes = 0;
        const QDir folder(m_folder);
        for (const QString& work : folder.entryList({QStringLiteral(".orvalin-*")}, QDir::Dirs | QDir::Hidden)) {
            // The extractor writes in a folder of its own inside the work folder.
            QDirIterator it(folder.filePath(work), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                it.next();
                bytes += it.fileInfo().size();
            }
        }
        m_peak = qMax(m_peak, bytes);
    }
    QString m_folder;
    QTimer m_timer;
    qint64 m_peak = 0;
};

// The pipelined run confined as far as the system allows against the same
// run unconfined, in pairs one right after the other, which of the two goes
// first alternating: the difference is small and the machine is shared, so
// the figure is the median of the pairs' ratios, over four times the repeats.
void confinementOverhead(const QString& pdf, const QString& applicationFolder, int repeats)
{
    QList<double> times[2];
    QList<double> ratios;
    for (int r = 0; r < 4 * repeats; ++r) {
        for (int i = 0; i < 2; ++i) {
            const bool confined = (i + r) % 2 == 0;
            QTemporaryDir out;
            Host host;
            host.rows = {pdf};
            host.outputFolder = out.path() + QLatin1Char('/');
            ExtractRun run(host, ToolLocator(applicationFolder));
            run.setConfinement(confined ? Confinement::full() : Confinement());
            QElapsedTimer clock;
            clock.start();
            run.ExtractAll();
            times[confined].append(double(clock.nsecsElapsed()) / 1e6);
            if (host.messages != QStringList{QStringLiteral("Done.")})
                std::fprintf(stderr, "run said: %s\n", qPrintable(host.messages.join(QLatin1Char('|'))));
        }
        ratios.append(times[1].constLast() / times[0].constLast());
    }
    std::printf("\nconfinement in force: %s\n", qPrintable(Confinement::describe(Confinement::full().inForce())));
    std::printf("pipelined run on the colour corpus: confined %.0f ms, unconfined %.0f ms; median ratio of %lld "
                "pairs %.3f\n",
                median(times[1]), median(times[0]), qlonglong(ratios.size()), median(ratios));
}

bool makeCorpus(const QString& pdf, bool withBlackAndWhite)
{
    using TestPdf::Kind;
    QList<TestPdf::Image> images;
    for (int i = 0; i < 40; ++i)
        images.append({Kind::Jpeg, 1024, 768, i});
    for (int i = 0; i < 20; ++i)
        images.append({Kind::Rgb, 640, 480, 100 + i});
    for (int i = 0; i < 100; ++i)
        images.append({i % 2 ? Kind::Gray : Kind::Rgb, 64, 64, 200 + i});
    // Black-and-white pages as a scanner makes them: A4 at 300 dots per inch.
    if (withBlackAndWhite)
        for (int i = 0; i < 10; ++i)
            images.append({Kind::Mono, 2480, 3508, 300 + i});
    return TestPdf::write(pdf, images);
}

// 50 folders of 99 subfolders each: 5,000 folders, each with files files,
// half of them PDF files.
void makeTree(const QString& root, int files)
{
    for (int top = 0; top < 50; ++top) {
        const QString parent = root + QStringLiteral("/top-%1").arg(top);
        for (int sub = 0; sub <= 99; ++sub) {
            const QString folder = sub == 0 ? parent : parent + QStringLiteral("/sub-%1").arg(sub);
            QDir().mkpath(folder);
            for (int i = 0; i < files; ++i) {
                QFile file(
                    folder
                    + QStringLiteral("/file-%1.%2").arg(i).arg(i % 2 ? QStringLiteral("pdf") : QStringLiteral("txt")));
                file.open(QIODevice::WriteOnly);
            }
        }
    }
}

// Calls work(i) for every i below count on workers threads at once, each
// taking the next i as soon as it is free, as xargs -P does; this thread is
// one of them.
void forEach(int count, int workers, const std::function<void(int)>& work)
{
    std::atomic<int> next = 0;
    const auto worker = [&] {
        for (int i = next++; i < count; i = next++)
            work(i);
    };
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 1; t < workers; ++t) {
        threads.emplace_back(QThread::create(worker));
        threads.back()->start();
    }
    worker();
    for (const auto& thread : threads)
        thread->wait();
}

// A folder of documentation as users have them: manuals, papers and data
// sheets of 2 to 300 pages, half of them under 30. Most hold no image, one in
// four a handful (screenshots, photos, diagrams, icons with soft masks, line
// art), and three hold hundreds (a logo in the head of every page, an icon
// beside every paragraph of note, photos). Their images are as small as most
// in documents are: the extractor's parsing is what such a folder costs.
QList<TestDocument::Document> documentPlan()
{
    using TestPdf::Kind;
    QRandomGenerator random(2026);
    QList<TestDocument::Document> plan;
    for (int i = 0; i < 200; ++i) {
        TestDocument::Document document;
        document.seed = i;
        const int size = random.bounded(100);
        document.pages = size < 50   ? 2 + random.bounded(28)
                         : size < 80 ? 30 + random.bounded(70)
                         : size < 95 ? 100 + random.bounded(100)
                                     : 200 + random.bounded(101);
        const auto figure = [&](int page, const TestPdf::Image& image) { document.figures.append({page, image}); };
        if (i % 70 == 7) {
            document.pages = 100;
            switch (i / 70) {
            case 0:
                document.letterhead = {{Kind::Rgb, 64, 64, i, true}};
                break;
            case 1:
                for (int k = 0; k < 100; ++k)
                    figure(k, {Kind::Rgb, 24, 24, k, true});
                break;
            default:
                for (int k = 0; k < 150; ++k)
                    figure(k * 2 / 3, {Kind::Jpeg, 320, 240, k});
            }
        } else if (i % 4 == 1) {
            for (int k = 1 + random.bounded(10); k > 0; --k) {
                const int page = random.bounded(document.pages);
                switch (random.bounded(5)) {
                case 0: // a screenshot
                    figure(page, {Kind::Rgb, 240 + random.bounded(240), 180 + random.bounded(180), k});
                    break;
                case 1: // a photo
                    figure(page, {Kind::Jpeg, 320, 240, k});
                    break;
                case 2: // a diagram
                    figure(page, {Kind::Gray, 300, 200, k});
                    break;
                case 3: // an icon
                    figure(page, {Kind::Rgb, 32, 32, k, true});
                    break;
                default: // line art
                    figure(page, {Kind::Mono, 300, 200, k});
                }
            }
        }
        plan.append(document);
    }
    return plan;
}

// The documents written into folder, and what their lists should name.
struct DocumentBatch {
    QStringList pdfs;
    std::vector<int> images; // for each PDF
    int pages = 0;
    int fewestPages = 0;
    int mostPages = 0;
    qint64 bytes = 0;
};

DocumentBatch makeDocuments(const QString& folder)
{
    const QList<TestDocument::Document> plan = documentPlan();
    DocumentBatch batch;
    QDir().mkpath(folder);
    std::atomic<bool> written = true;
    for (qsizetype i = 0; i < plan.size(); ++i) {
        batch.pdfs.append(folder + QStringLiteral("/document-%1.pdf").arg(i, 3, 10, QLatin1Char('0')));
        batch.images.push_back(TestDocument::imageCount(plan.at(i)));
        batch.pages += plan.at(i).pages;
        batch.fewestPages = i ? qMin(batch.fewestPages, plan.at(i).pages) : plan.at(i).pages;
        batch.mostPages = qMax(batch.mostPages, plan.at(i).pages);
    }
    forEach(int(plan.size()), 2, [&](int i) {
        if (!TestDocument::write(batch.pdfs.at(i), plan.at(i)))
            written = false;
    });
    if (!written)
        return {};
    for (const QString& pdf : std::as_const(batch.pdfs))
        batch.bytes += QFileInfo(pdf).size();
    return batch;
}

// The extractor's list of a PDF, its output thrown away unless wanted.
QByteArray extractorList(const QString& pdfimages, const QString& pdf, bool wanted)
{
    QProcess list;
    if (!wanted)
        list.setStandardOutputFile(QProcess::nullDevice());
    list.start(pdfimages, {QStringLiteral("-list"), pdf});
    list.waitForFinished(-1);
    return wanted ? list.readAllStandardOutput() : QByteArray();
}

// Checks with the extractor's lists that the batch holds the images planned,
// and prints what it is.
bool describeDocuments(const QString& pdfimages, const DocumentBatch& batch, double writing)
{
    const int count = int(batch.pdfs.size());
    enum Counted { All, Jpeg, BlackAndWhite, SoftMask, Kinds };
    std::vector<std::array<int, Kinds>> listed(count);
    forEach(count, 2, [&](int i) {
        const QList<QByteArray> lines = extractorList(pdfimages, batch.pdfs.at(i), true).split('\n');
        for (const QByteArray& line : lines.mid(2)) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() < 9)
                continue;
            ++listed[i][All];
            listed[i][Jpeg] += fields.at(8) == "jpeg";
            listed[i][BlackAndWhite] += fields.at(2) == "image" && fields.at(7) == "1";
            listed[i][SoftMask] += fields.at(2) == "smask";
        }
    });
    int total[Kinds] = {};
    bool asPlanned = true;
    for (int i = 0; i < count; ++i) {
        for (int k = 0; k < Kinds; ++k)
            total[k] += listed[i][k];
        if (listed[i][All] != batch.images[i]) {
            std::fprintf(stderr, "%s: %d images listed, %d planned\n", qPrintable(batch.pdfs.at(i)), listed[i][All],
                         batch.images[i]);
            asPlanned = false;
        }
    }
    const int without = int(std::count(batch.images.cbegin(), batch.images.cend(), 0));
    const int hundreds = int(std::count_if(batch.images.cbegin(), batch.images.cend(), [](int n) { return n >= 100; }));
    std::printf("\ndocuments corpus: %d PDFs of %d to %d pages, %d pages in all, %.1f MB, written in %.1f s\n", count,
                batch.fewestPages, batch.mostPages, batch.pages, double(batch.bytes) / 1e6, writing);
    std::printf("  %d PDFs with no image, %d with a handful, %d with hundreds; %d images (%d jpeg, %d black-and-white, "
                "%d soft masks) %s\n",
                without, count - without - hundreds, hundreds, total[All], total[Jpeg], total[BlackAndWhite],
                total[SoftMask], asPlanned ? "listed as planned" : "NOT as planned");
    return asPlanned;
}

// pdfimages over text alone: beyond what its start costs, each page of 300
// should take about as long as each page of 30, or the extractor is not
// working through the pages.
void textInProportion(const QString& pdfimages, const QString& folder, int repeats)
{
    const int pages[] = {2, 30, 300};
    double times[3] = {};
    for (int i = 0; i < 3; ++i) {
        const QString pdf = folder + QStringLiteral("/text-%1.pdf").arg(pages[i]);
        TestDocument::write(pdf, {pages[i], 1});
        QList<double> each;
        for (int r = 0; r < 3 * repeats; ++r) {
            QTemporaryDir out;
            QElapsedTimer clock;
            clock.start();
            QProcess::execute(pdfimages, {pdf, out.filePath(QStringLiteral("text"))});
            each.append(double(clock.nsecsElapsed()) / 1e6);
        }
        times[i] = median(each);
    }
    std::printf("  pdfimages on text alone: %.0f ms for 2 pages, %.0f ms for 30, %.0f ms for 300; each page beyond the "
                "first two %.2f ms in 30, %.2f ms in 300\n",
                times[0], times[1], times[2], (times[1] - times[0]) / 28, (times[2] - times[0]) / 298);
}

// The files below folder that match one of patterns.
int filesBelow(const QString& folder, const QStringList& patterns)
{
    int files = 0;
    for (QDirIterator it(folder, patterns, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next())
        ++files;
    return files;
}

// The documents corpus, timed alternating in one run: the bare sequential
// pipeline over the batch, PDF after PDF; two bare PDFs at once; the command
// line; the window's run, driven headless; and for reference the extractor
// alone and its list alone over the batch.
bool documentsBench(const QString& pdfimages, const QString& cjpeg, const QString& commandLine, const QString& work,
                    int repeats)
{
    QElapsedTimer writing;
    writing.start();
    const DocumentBatch batch = makeDocuments(work + QStringLiteral("/documents"));
    if (batch.pdfs.isEmpty()) {
        std::fprintf(stderr, "cannot write the corpus\n");
        return false;
    }
    if (!describeDocuments(pdfimages, batch, double(writing.elapsed()) / 1e3))
        return false;
    textInProportion(pdfimages, work, repeats);

    const int count = int(batch.pdfs.size());
    const int images = std::accumulate(batch.images.cbegin(), batch.images.cend(), 0);
    enum Way { BareSequential, BareTwoAtOnce, CommandLine, Window, ExtractorAlone, ListAlone, Ways };
    const char* names[Ways] = {"bare sequential pipeline", "two bare PDFs at once", "command line (orvalin-extract)",
                               "window run (headless)",    "pdfimages alone",       "pdfimages -list alone"};
    QList<double> times[Ways];
    for (int r = 0; r < repeats; ++r) {
        for (int w = 0; w < Ways; ++w) {
            const Way way = Way((w + r) % Ways);
            QTemporaryDir out;
            const QString folder = out.path() + QLatin1Char('/');
            // Each PDF in a folder of its own, as separate runs of the bare
            // tools would keep them apart.
            const auto own = [&folder](int i) {
                const QString path = folder + QString::number(i) + QLatin1Char('/');
                QDir().mkpath(path);
                return path;
            };
            QElapsedTimer clock;
            clock.start();
            if (way == BareSequential || way == BareTwoAtOnce) {
                forEach(count, way == BareSequential ? 1 : 2,
                        [&](int i) { barePipeline(pdfimages, cjpeg, batch.pdfs.at(i), own(i)); });
            } else if (way == CommandLine) {
                const int status = QProcess::execute(
                    commandLine, QStringList{QStringLiteral("-q"), QStringLiteral("-o"), folder} + batch.pdfs);
                if (status != 0)
                    std::fprintf(stderr, "orvalin-extract ended with %d\n", status);
            } else if (way == Window) {
                Host host;
                host.rows = batch.pdfs;
                host.outputFolder = folder;
                ExtractRun run(host, ToolLocator(work));
                run.ExtractAll();
                if (host.messages != QStringList{QStringLiteral("Done.")})
                    std::fprintf(stderr, "run said: %s\n", qPrintable(host.messages.join(QLatin1Char('|'))));
            } else if (way == ExtractorAlone) {
                forEach(count, 1, [&](int i) {
                    QProcess::execute(pdfimages, {batch.pdfs.at(i), own(i) + QStringLiteral("document")});
                });
            } else {
                forEach(count, 1, [&](int i) { extractorList(pdfimages, batch.pdfs.at(i), false); });
            }
            times[way].append(double(clock.nsecsElapsed()) / 1e6);
            // A way that left images out would look fast.
            const int written = way == ListAlone ? images
                                : way == ExtractorAlone
                                    ? filesBelow(folder, {QStringLiteral("*.ppm"), QStringLiteral("*.pbm")})
                                    : filesBelow(folder, {QStringLiteral("*.jpg")});
            if (written != images)
                std::fprintf(stderr, "%s wrote %d images, not %d\n", names[way], written, images);
        }
    }
    const auto ratio = [&](int a, int b) { return median(times[a]) / median(times[b]); };
    std::printf("  %-30s %8s %18s %24s\n", "", "median", "/ bare sequential", "/ two bare PDFs at once");
    for (int w = 0; w < Ways; ++w)
        std::printf("  %-30s %5.0f ms %18.3f %24.3f\n", names[w], median(times[w]), ratio(w, BareSequential),
                    ratio(w, BareTwoAtOnce));
    std::printf("  window run / command line: %.3f\n", ratio(Window, CommandLine));
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const int repeats = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    const QString pdfimages = QStandardPaths::findExecutable(QStringLiteral("pdfimages"));
    const QString cjpeg = QStandardPaths::findExecutable(QStringLiteral("cjpeg"));
    if (pdfimages.isEmpty() || cjpeg.isEmpty()) {
        std::fprintf(stderr, "pdfimages and cjpeg must be on PATH\n");
        return 1;
    }
    const QString commandLine = QCoreApplication::applicationDirPath() + QStringLiteral("/orvalin-extract");
    QTemporaryDir work;
    std::printf("machine: %d cores (QThread::idealThreadCount)\n", QThread::idealThreadCount());
    if (argc > 1 && qstrcmp(argv[argc - 1], "documents") == 0)
        return documentsBench(pdfimages, cjpeg, commandLine, work.path(), repeats) ? 0 : 1;

    for (bool withBlackAndWhite : {false, true}) {
        const QString pdf =
            work.filePath(withBlackAndWhite ? QStringLiteral("corpus-bw.pdf") : QStringLiteral("corpus.pdf"));
        if (!makeCorpus(pdf, withBlackAndWhite)) {
            std::fprintf(stderr, "cannot write the corpus\n");
            return 1;
        }
        QProcess list;
        list.start(pdfimages, {QStringLiteral("-list"), pdf});
        list.waitForFinished(-1);
        const QString listing = QString::fromLocal8Bit(list.readAllStandardOutput());
        const auto count = [&listing](const QString& word) {
            int n = 0;
            for (const QString& line : listing.split(QLatin1Char('\n')))
                if (line.simplified().split(QLatin1Char(' ')).value(8) == word)
                    ++n;
            return n;
        };
        std::printf("\ncorpus %s: %lld bytes; encodings: %d jpeg, %d raw (flate); black-and-white: %d\n",
                    withBlackAndWhite ? "with black-and-white scans" : "colour and grey", QFileInfo(pdf).size(),
                    count(QStringLiteral("jpeg")), count(QStringLiteral("image")),
                    int(listing.count(QStringLiteral(" 1  image"))));

        // Alternating, in one run: the pipelined run, the run with the
        // extractor alone, the same with one program at a time, the bare
        // sequential pipeline and the bare pipelined floor.
        const int cores = QThread::idealThreadCount();
        enum Way {
            Pipelined,
            CommandLine,
            WithoutList,
            KeepingJpeg,
            RepeatsByObject,
            RepeatsByContent,
            ExtractorAlone,
            OneAtATime,
            BareSequential,
            BarePipelinedFloor,
            Ways
        };
        const char* names[Ways] = {
            "pipelined run",           "command line (orvalin-extract)", "run without the list",
            "run keeping JPEG images", "repeats left out, by object",    "repeats left out, by content",
            "run, extractor alone",    "run, one program at a time",     "bare sequential pipeline",
            "bare pipelined floor"};
        QList<double> times[Ways];
        qint64 peak[Ways] = {};
        for (int r = 0; r < repeats; ++r) {
            for (int w = 0; w < Ways; ++w) {
                const Way way = Way((w + r) % Ways);
                QTemporaryDir out;
                const QString folder = out.path() + QLatin1Char('/');
                QElapsedTimer clock;
                clock.start();
                if (way == BareSequential) {
                    barePipeline(pdfimages, cjpeg, pdf, folder);
                } else if (way == BarePipelinedFloor) {
                    barePipelined(pdfimages, cjpeg, pdf, folder, cores);
                } else if (way == CommandLine) {
                    QProcess::execute(commandLine, {QStringLiteral("-q"), QStringLiteral("-o"), folder, pdf});
                } else {
                    ExtractChoices choices;
                    choices.keepJpeg = way == KeepingJpeg;
                    choices.noRepeats = way == RepeatsByObject || way == RepeatsByContent;
                    extract(pdf, folder, work.path(), way == OneAtATime ? 1 : cores,
                            way != ExtractorAlone && way != OneAtATime, way != WithoutList, choices,
                            way != RepeatsByObject);
                }
                times[way].append(double(clock.nsecsElapsed()) / 1e6);
            }
        }
        // The intermediate files are sampled in runs of their own: the
        // sampling is not to weigh on the times.
        for (const Way way : {Pipelined, ExtractorAlone}) {
            QTemporaryDir out;
            IntermediateBytes intermediate(out.path());
            extract(pdf, out.path() + QLatin1Char('/'), work.path(), cores, way == Pipelined);
            peak[way] = intermediate.peak();
        }
        for (int w = 0; w < Ways; ++w)
            std::printf("  %-28s %6.0f ms\n", names[w], median(times[w]));
        const auto ratio = [&](Way a, Way b) { return median(times[a]) / median(times[b]); };
        std::printf("  pipelined run / bare pipelined floor: %.3f\n", ratio(Pipelined, BarePipelinedFloor));
        std::printf("  pipelined run / run without the list: %.3f\n", ratio(Pipelined, WithoutList));
        std::printf("  command line / pipelined run: %.3f\n", ratio(CommandLine, Pipelined));
        std::printf("  repeats by content / repeats by object: %.3f\n", ratio(RepeatsByContent, RepeatsByObject));
        std::printf("  run keeping JPEG images / bare sequential: %.3f\n", ratio(KeepingJpeg, BareSequential));
        std::printf("  pipelined run / bare sequential: %.3f\n", ratio(Pipelined, BareSequential));
        std::printf("  bare pipelined floor / bare sequential: %.3f\n", ratio(BarePipelinedFloor, BareSequential));
        std::printf("  one program at a time / bare sequential: %.3f\n", ratio(OneAtATime, BareSequential));
        std::printf("  extractor alone / bare sequential: %.3f\n", ratio(ExtractorAlone, BareSequential));
        std::printf("  peak intermediate files: pipelined %.1f MB, extractor alone %.1f MB\n",
                    double(peak[Pipelined]) / 1e6, double(peak[ExtractorAlone]) / 1e6);
    }

    const QString masked = work.filePath(QStringLiteral("corpus-masks.pdf"));
    if (!makeMaskedCorpus(masked)) {
        std::fprintf(stderr, "cannot write the corpus\n");
        return 1;
    }
    maskWays(masked, work.path(), repeats);

    confinementOverhead(work.filePath(QStringLiteral("corpus.pdf")), work.path(), repeats);

    // Numbering in a folder that already holds many JPEG files, against an
    // empty folder: 40 one-image PDFs each time.
    {
        const QString pdf = work.filePath(QStringLiteral("one-image.pdf"));
        TestPdf::write(pdf, {{TestPdf::Kind::Rgb, 64, 48, 1}});
        QList<double> fullTimes;
        QList<double> emptyTimes;
        for (int r = 0; r < repeats; ++r) {
            for (bool full : {r % 2 == 0, r % 2 != 0}) {
                QTemporaryDir out;
                if (full)
                    for (int k = 1; k <= 10000; ++k)
                        QFile(out.filePath(QStringLiteral("%1.jpg").arg(k))).open(QIODevice::WriteOnly);
                Host host;
                host.rows = QStringList(40, pdf);
                host.outputFolder = out.path() + QLatin1Char('/');
                ExtractRun run(host, ToolLocator(work.path()));
                QElapsedTimer clock;
                clock.start();
                run.ExtractAll();
                (full ? fullTimes : emptyTimes).append(double(clock.nsecsElapsed()) / 1e6);
                if (host.messages != QStringList{QStringLiteral("Done.")})
                    std::fprintf(stderr, "run said: %s\n", qPrintable(host.messages.join(QLatin1Char('|'))));
            }
        }
        std::printf("\n40 one-image PDFs into a folder of 10,000 JPEG files: %.0f ms, into an empty folder %.0f ms, "
                    "ratio %.3f\n",
                    median(fullTimes), median(emptyTimes), median(fullTimes) / median(emptyTimes));
    }

    // How soon the runner notices that a program has ended, against a bare
    // start and wait of the same program.
    const QString program = QStandardPaths::findExecutable(QStringLiteral("true"));
    if (!program.isEmpty()) {
        QList<double> runner;
        QList<double> bare;
        for (int i = 0; i < 40; ++i) {
            QElapsedTimer clock;
            clock.start();
            Shell32::RunAndWait(program, {});
            runner.append(double(clock.nsecsElapsed()) / 1e6);
            clock.restart();
            QProcess process;
            process.start(program, QStringList());
            process.waitForFinished(-1);
            bare.append(double(clock.nsecsElapsed()) / 1e6);
        }
        std::printf(
            "\nrunner on an instant program: %.2f ms median, bare start and wait %.2f ms, notice overhead %.2f ms\n",
            median(runner), median(bare), median(runner) - median(bare));
    }

    // The folder scan of a large tree against find.
    {
        QTemporaryDir tree;
        makeTree(tree.path(), 10);
        const QString find = QStandardPaths::findExecutable(QStringLiteral("find"));
        QList<double> scanTimes;
        QList<double> findTimes;
        qsizetype rows = 0;
        for (int r = 0; r < repeats; ++r) {
            QElapsedTimer clock;
            clock.start();
            FolderScan scan(eventLoopYield());
            rows = scan.pdfFilesInTree(tree.path()).size();
            scanTimes.append(double(clock.nsecsElapsed()) / 1e6);
            if (!find.isEmpty()) {
                clock.restart();
                QProcess process;
                process.setStandardOutputFile(QProcess::nullDevice());
                process.start(find, {tree.path(), QStringLiteral("-iname"), QStringLiteral("*.pdf")});
                process.waitForFinished(-1);
                findTimes.append(double(clock.nsecsElapsed()) / 1e6);
            }
        }
        std::printf("\nfolder scan of 5,000 folders and 50,000 files (%lld PDF rows): %.0f ms", qlonglong(rows),
                    median(scanTimes));
        if (!findTimes.isEmpty())
            std::printf(", find %.0f ms, ratio %.2f", median(findTimes), median(scanTimes) / median(findTimes));
        std::printf("\n");
    }

    // Children are left out: before its exec a child counts this process's pages.
    std::printf("\npeak memory of this process (run, corpus and tree included): %ld KiB\n", peakKilobytes());
    return 0;
}
