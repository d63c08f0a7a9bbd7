// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

// orvalin_bench [repeats]
//
// Makes its own corpus in a temporary folder and times, alternating, in one run:
//  (a) the extraction run, driven headless: pipelined, without the
//      extractor's list beside it, keeping JPEG images as they are, with the
//      extractor alone, and with one program at a time; and the same run
//      through the command line, orvalin-extract,
//  (b) the bare sequential pipeline: the same pdfimages and cjpeg calls one
//      after another,
//  (c) the bare pipelined floor: the same calls, each image encoded as soon as
//      it is finished,
// then the run confined against the same run unconfined, numbering in a full
// folder, how soon the runner notices a program's end, and the folder scan of
// a large tree against find. Prints medians, ratios and the peak size of the
// run's intermediate files.

#include "HeadlessHost.h"
#include "PeakMemory.h"
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
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
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
             bool readList = true, const ExtractChoices& choices = {})
{
    Host host;
    host.rows = {pdf};
    host.outputFolder = folder;
    ExtractRun run(host, ToolLocator(applicationFolder));
    run.setParallelEncoders(atOnce);
    run.setPipelined(pipelined);
    run.setReadList(readList);
    run.setChoices(choices);
    run.ExtractAll();
    if (host.messages != QStringList{QStringLiteral("Done.")})
        std::fprintf(stderr, "run said: %s\n", qPrintable(host.messages.join(QLatin1Char('|'))));
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
            QDirIterator it(folder.filePath(work), QDir::Files | QDir::Hidden);
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
            ExtractorAlone,
            OneAtATime,
            BareSequential,
            BarePipelinedFloor,
            Ways
        };
        const char* names[Ways] = {"pipelined run",
                                   "command line (orvalin-extract)",
                                   "run without the list",
                                   "run keeping JPEG images",
                                   "run, extractor alone",
                                   "run, one program at a time",
                                   "bare sequential pipeline",
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
                    extract(pdf, folder, work.path(), way == OneAtATime ? 1 : cores,
                            way != ExtractorAlone && way != OneAtATime, way != WithoutList, choices);
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
        std::printf("  run keeping JPEG images / bare sequential: %.3f\n", ratio(KeepingJpeg, BareSequential));
        std::printf("  pipelined run / bare sequential: %.3f\n", ratio(Pipelined, BareSequential));
        std::printf("  bare pipelined floor / bare sequential: %.3f\n", ratio(BarePipelinedFloor, BareSequential));
        std::printf("  one program at a time / bare sequential: %.3f\n", ratio(OneAtATime, BareSequential));
        std::printf("  extractor alone / bare sequential: %.3f\n", ratio(ExtractorAlone, BareSequential));
        std::printf("  peak intermediate files: pipelined %.1f MB, extractor alone %.1f MB\n",
                    double(peak[Pipelined]) / 1e6, double(peak[ExtractorAlone]) / 1e6);
    }

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
