// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HeadlessHost.h"
#include "TestFiles.h"
#include "TestPaths.h"
#include "TestPdf.h"
#include "extract/ExtractRun.h"
#include "extract/ExtractorOutput.h"
#include "extract/PbmToPgm.h"
#include "util/AddFolder.h"
#include "util/NaturalOrder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <numeric>

namespace {

using Host = HeadlessHost;

using TestPaths::native;
using TestPaths::withSeparator;

QList<TestPdf::Image> testImages(int count, int firstWidth = 20, TestPdf::Kind kind = TestPdf::Kind::Rgb)
{
    QList<TestPdf::Image> images;
    for (int i = 0; i < count; ++i)
        images.append({kind, firstWidth + i, 10 + i, i});
    return images;
}

// The files of a folder that match the pattern, in natural order.
QStringList filesIn(const QString& folder, const QString& pattern)
{
    QStringList names = AddFolder::ListFiles(folder, pattern);
    NaturalOrder::sort(names);
    return names;
}

QSize jpegSize(const QString& path)
{
    QImageReader reader(path);
    if (reader.format() != "jpeg")
        return {};
    return reader.read().size();
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The image as it looks on a white page through its soft mask, the mask
// scaled to the image's size.
QImage onWhite(const QImage& image, const QImage& softMask)
{
    const QImage alpha = softMask.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)
                             .convertToFormat(QImage::Format_Grayscale8);
    QImage picture = image.convertToFormat(QImage::Format_RGB32);
    const auto blend = [](int sample, int a) { return (a * sample + (255 - a) * 255 + 127) / 255; };
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            const int a = qGray(alpha.pixel(x, y));
            picture.setPixel(x, y, qRgb(blend(qRed(p), a), blend(qGreen(p), a), blend(qBlue(p), a)));
        }
    return picture;
}

// How far apart two pictures are: the mean difference of their samples;
// infinite for pictures of different sizes.
double meanDifference(const QImage& one, const QImage& other)
{
    if (one.size() != other.size() || one.isNull())
        return qInf();
    const QImage a = one.convertToFormat(QImage::Format_RGB32);
    const QImage b = other.convertToFormat(QImage::Format_RGB32);
    qint64 difference = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            difference += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return double(difference) / (3.0 * a.width() * a.height());
}

// Everything in a folder, hidden entries included: what a run leaves behind.
QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestExtractRun : public QObject
{
    Q_OBJECT

    QTemporaryDir m_app; // the application folder, tools on PATH
    QTemporaryDir m_work;
    QString m_child = qEnvironmentVariable("ORVALIN_CHILD");

    QString makePdf(const QString& name, const QList<TestPdf::Image>& images)
    {
        const QString path = m_work.filePath(name);
        if (!TestPdf::write(path, images))
            return {};
        return native(path);
    }

    // A folder with copies of the child program standing in for the tools.
    QString fakeTools(const QStringList& names, const QString& kind = QStringLiteral("tools"))
    {
        const QString folder = m_work.filePath(QStringLiteral("%1-%2").arg(kind, names.join(QLatin1Char('-'))));
        QDir().mkpath(folder);
        for (const QString& name : names)
            QFile::copy(m_child, folder + QLatin1Char('/') + Platform::executableName(name));
        return folder;
    }

    // One run of rows into outputFolder, with the tools of the application
    // folder unless others are given: stand-ins, which run unconfined.
    void extractAll(Host& host, const QStringList& rows, const QString& outputFolder,
                    const ExtractChoices& choices = {}, std::optional<ToolLocator> tools = std::nullopt)
    {
        host.rows = rows;
        host.outputFolder = outputFolder;
        ExtractRun run(host, tools.value_or(ToolLocator(m_app.path())));
        run.setChoices(choices);
        if (tools)
            run.setConfinement(Confinement());
        run.ExtractAll();
    }

private Q_SLOTS:
    void onePdfThreeImages()
    {
        const QString out = m_work.filePath(QStringLiteral("one"));
        QDir().mkpath(out);
        Host host;
        extractAll(host, {makePdf(QStringLiteral("Report 2009.pdf"), testImages(3, 30))}, withSeparator(out));

        QCOMPARE(host.messages, QStringList{QStringLiteral("Done.")});
        QCOMPARE(filesIn(out, QStringLiteral("*")), (QStringList{"1.jpg", "2.jpg", "3.jpg"}));
        for (int k = 1; k <= 3; ++k)
            QCOMPARE(jpegSize(out + QStringLiteral("/%1.jpg").arg(k)), QSize(30 + k - 1, 10 + k - 1));
        QCOMPARE(host.progress, (QList<int>{33, 67, 100, 0}));
        QCOMPARE(host.pointers.constFirst(), Pointer::Hourglass);
        QCOMPARE(host.pointers.constLast(), Pointer::Default);
        // The work copy stays in the application folder, a copy of the PDF.
        QFile original(host.rows.constFirst());
        QFile copy(m_app.filePath(QStringLiteral("current.pdf")));
        QVERIFY(original.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), original.readAll());
    }

    // The command line's run takes its work copy away when it ends.
    void aRemovedWorkCopyLeavesNoCopy()
    {
        QTemporaryDir app;
        QTemporaryDir outDir;
        Host host;
        host.rows = {makePdf(QStringLiteral("copied once.pdf"), testImages(1))};
        host.outputFolder = withSeparator(outDir.path());
        ExtractRun run(host, ToolLocator(app.path()));
        run.setRemoveWorkCopy(true);
        run.ExtractAll();
        QCOMPARE(host.messages, QStringList{QStringLiteral("Done.")});
        QCOMPARE(QDir(app.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files), QStringList{});
    }

    void numbersNeverReplaceWhatIsThere()
    {
        const QString out = m_work.filePath(QStringLiteral("numbers"));
        QDir().mkpath(out);
        // The user's own files: a JPEG named like ours and an unrelated PPM.
        QFile mine(out + QStringLiteral("/1.jpg"));
        QVERIFY(mine.open(QIODevice::WriteOnly));
        mine.write("mine");
        mine.close();
        // And files named as the extractor names its own, which it would replace.
        for (const char* name : {"other.ppm", "first-000.ppm", "first-001.pbm"}) {
            QFile other(out + QLatin1Char('/') + QLatin1String(name));
            QVERIFY(other.open(QIODevice::WriteOnly));
            other.write("P6\n1 1\n255\nabc");
        }

        Host host;
        extractAll(host,
                   {makePdf(QStringLiteral("first.pdf"), testImages(3, 20)),
                    makePdf(QStringLiteral("second.pdf"), testImages(3, 40))},
                   withSeparator(out));

        QCOMPARE(host.messages, QStringList{QStringLiteral("Done.")});
        QCOMPARE(filesIn(out, QStringLiteral("*.jpg")),
                 (QStringList{"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg", "6.jpg", "7.jpg"}));
        QVERIFY(mine.open(QIODevice::ReadOnly));
        QCOMPARE(mine.readAll(), QByteArray("mine"));
        QCOMPARE(filesIn(out, QStringLiteral("*.p?m")), (QStringList{"first-000.ppm", "first-001.pbm", "other.ppm"}));
        for (const char* name : {"other.ppm", "first-000.ppm", "first-001.pbm"}) {
            QFile other(out + QLatin1Char('/') + QLatin1String(name));
            QVERIFY(other.open(QIODevice::ReadOnly));
            QCOMPARE(other.readAll(), QByteArray("P6\n1 1\n255\nabc"));
        }
        // The first PDF's images come first, each in page order.
        QCOMPARE(jpegSize(out + QStringLiteral("/2.jpg")), QSize(20, 10));
        QCOMPARE(jpegSize(out + QStringLiteral("/4.jpg")), QSize(22, 12));
        QCOMPARE(jpegSize(out + QStringLiteral("/5.jpg")), QSize(40, 10));
        QCOMPARE(jpegSize(out + QStringLiteral("/7.jpg")), QSize(42, 12));
        // The bar only moves on, through the end of the first PDF, whether or
        // not a list read in a free place moved it within a PDF.
        QVERIFY(host.progress.contains(50));
        QCOMPARE(host.progress.last(), 0);
        host.progress.removeLast();
        QVERIFY(std::is_sorted(host.progress.cbegin(), host.progress.cend()));
        QCOMPARE(host.progress.last(), 100);
    }

    void twelveImagesInPageOrder()
    {
        const QString out = m_work.filePath(QStringLiteral("twelve"));
        QDir().mkpath(out);
        Host host;
        extractAll(host, {makePdf(QStringLiteral("twelve.pdf"), testImages(12, 16))}, withSeparator(out));
        QCOMPARE(filesIn(out, QStringLiteral("*")).size(), 12);
        for (int k = 1; k <= 12; ++k)
            QCOMPARE(jpegSize(out + QStringLiteral("/%1.jpg").arg(k)), QSize(16 + k - 1, 10 + k - 1));
    }

    // The bar moves as images are done and stands at i of n rows once PDF i
    // is; without the extractor's list it moves a PDF at a time.
    void progress_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("images"); // of each PDF
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QList<int>>("progress");
        QTest::newRow("four rows") << 4 << 1 << QByteArray() << QList<int>{25, 50, 75, 100, 0};
        QTest::newRow("four images") << 1 << 4 << QByteArray() << QList<int>{25, 50, 75, 100, 0};
        QTest::newRow("no list") << 2 << 3 << QByteArray("fail") << QList<int>{50, 100, 0};
    }
    void progress()
    {
        QFETCH(int, rows);
        QFETCH(int, images);
        QFETCH(QByteArray, list);
        QFETCH(QList<int>, progress);
        QTemporaryDir outDir;
        Host host;
        const QString pdf = makePdf(QStringLiteral("small.pdf"), testImages(images));
        qputenv("ORVALIN_FAKE_LIST", list);
        extractAll(host, QStringList(rows, pdf), withSeparator(outDir.path()), {},
                   ToolLocator(standIns(list.isEmpty() ? QStringList{} : QStringList{"pdfimages"}), false));
        qunsetenv("ORVALIN_FAKE_LIST");
        QCOMPARE(host.progress, progress);
        QCOMPARE(filesIn(outDir.path(), QStringLiteral("*.jpg")).size(), rows * images);
    }

    void emptyList()
    {
        Host host;
        ExtractRun run(host, ToolLocator(m_app.path()));
        run.ExtractAll();
        QCOMPARE(host.messages, QStringList{QStringLiteral("No files added.")});
        QCOMPARE(host.progress, QList<int>{0});
        QCOMPARE(host.pointers, (QList<Pointer>{Pointer::Hourglass, Pointer::Default}));
    }

    void outputFolderWithoutFinalSeparatorIsAFolder()
    {
        // "out" names a folder that does not exist yet: it is made, and the
        // images go into it, not beside it.
        const QString out = m_work.filePath(QStringLiteral("typed/deeper/out"));
        Host host;
        extractAll(host, {makePdf(QStringLiteral("typed.pdf"), testImages(2))}, native(out));
        QCOMPARE(host.messages, QStringList{QStringLiteral("Done.")});
        QCOMPARE(filesIn(out, QStringLiteral("*")), (QStringList{"1.jpg", "2.jpg"}));
        QCOMPARE(filesIn(m_work.filePath(QStringLiteral("typed/deeper")), QStringLiteral("*.jpg")), QStringList{});
    }

    void awkwardNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("spaces") << QStringLiteral("my report 2009.pdf");
        QTest::newRow("quotes") << QStringLiteral("say \"cheese\" 'now'.pdf");
        QTest::newRow("leading dash") << QStringLiteral("-o.pdf");
        QTest::newRow("non-ASCII and hash") << QStringLiteral("Grüße #1 ünïcödé.pdf");
        QTest::newRow("beyond the ANSI code page") << QStringLiteral("日本語 ✓ Жж.pdf");
        QTest::newRow("no dot") << QStringLiteral("nodot");
    }
    void awkwardNames()
    {
        QFETCH(QString, name);
#ifdef Q_OS_WIN
        if (name.contains(QLatin1Char('"')))
            QSKIP("Windows file names cannot hold double quotes");
#endif
        QTemporaryDir sourceDir;
        QTemporaryDir outDir;
        const QString pdf = sourceDir.filePath(name);
        QVERIFY(TestPdf::write(pdf, testImages(2)));
        Host host;
        host.rows = {native(pdf)};
        // An output folder whose name begins with "-" as well.
        host.outputFolder = withSeparator(outDir.filePath(QStringLiteral("-out")));
        ExtractRun run(host, ToolLocator(m_app.path()));
        run.ExtractAll();
        QCOMPARE(host.messages, QStringList{QStringLiteral("Done.")});
        QCOMPARE(filesIn(outDir.filePath(QStringLiteral("-out")), QStringLiteral("*")),
                 (QStringList{"1.jpg", "2.jpg"}));
    }

    void problemsAreReported_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("expectedLine");
        QTest::newRow("missing source") << "missing"
                                        << "missing.pdf: the file is missing.";
        QTest::newRow("not a PDF") << "text"
                                   << "notes.pdf: the file is damaged or is not a PDF file.";
        QTest::newRow("damaged PDF") << "damaged"
                                     << "broken.pdf: the file is damaged or is not a PDF file.";
        QTest::newRow("password-protected PDF")
            << "password"
            << "locked.pdf: the PDF is password-protected, so its images cannot be extracted.";
        QTest::newRow("output folder cannot be made")
            << "badfolder"
            << "fine.pdf: the output folder %1 could not be created (%2 is a file).";
        QTest::newRow("no extractor") << "noextractor"
                                      << "fine.pdf: the image extractor (pdfimages) was not found.";
        QTest::newRow("no encoder") << "noencoder"
                                    << "fine.pdf: the JPEG encoder (cjpeg) was not found.";
        QTest::newRow("encoder fails") << "badencoder"
                                       << "fine.pdf: the JPEG encoder failed for 2 of 2 images.";
        QTest::newRow("no images is fine") << "noimages"
                                           << "";
        QTest::newRow("relative output folder") << "relative"
                                                << "fine.pdf: the output folder must be a full path.";
        QTest::newRow("a folder") << "folder"
                                  << "docs: this is a folder, not a PDF file.";
        QTest::newRow("a pipe") << "pipe"
                                << "pipe.pdf: this is a device or a pipe, not a PDF file.";
        QTest::newRow("name too long") << "long"
                                       << QString(300, QLatin1Char('x')) + ".pdf: the path is too long to be opened.";
    }
    void problemsAreReported()
    {
        QFETCH(QString, what);
        QFETCH(QString, expectedLine);
        QTemporaryDir outDir;
        QString out = withSeparator(outDir.path());
        QString source;
        ToolLocator tools(m_app.path());
        if (what == QLatin1String("missing")) {
            source = native(m_work.filePath(QStringLiteral("missing.pdf")));
        } else if (what == QLatin1String("text")) {
            source = native(m_work.filePath(QStringLiteral("notes.pdf")));
            QFile file(source);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("just some words, no PDF at all\n");
        } else if (what == QLatin1String("damaged")) {
            const QString good = makePdf(QStringLiteral("good.pdf"), testImages(1));
            QFile file(good);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            source = native(m_work.filePath(QStringLiteral("broken.pdf")));
            QFile broken(source);
            QVERIFY(broken.open(QIODevice::WriteOnly));
            broken.write(bytes.left(20));
        } else if (what == QLatin1String("password")) {
#ifdef Q_OS_WIN
            QSKIP("qpdf, which locks the test PDF, is not built for Windows here");
#endif
            const QString qpdf = QStandardPaths::findExecutable(QStringLiteral("qpdf"));
            QVERIFY2(!qpdf.isEmpty(), "qpdf makes the password-protected PDF");
            const QString open = makePdf(QStringLiteral("open.pdf"), testImages(2));
            source = native(m_work.filePath(QStringLiteral("locked.pdf")));
            QCOMPARE(
                QProcess::execute(qpdf, {QStringLiteral("--encrypt"), QStringLiteral("secret"), QStringLiteral("owner"),
                                         QStringLiteral("256"), QStringLiteral("--"), open, source}),
                0);
        } else if (what == QLatin1String("folder")) {
            source = native(m_work.filePath(QStringLiteral("docs")));
            QDir().mkpath(source);
        } else if (what == QLatin1String("pipe")) {
#ifdef Q_OS_WIN
            QSKIP("Windows keeps no pipes among the files of a folder");
#endif
            source = native(m_work.filePath(QStringLiteral("pipe.pdf")));
            QFile::remove(source);
            QCOMPARE(QProcess::execute(QStringLiteral("mkfifo"), {source}), 0);
        } else if (what == QLatin1String("long")) {
            source = native(m_work.filePath(QString(300, QLatin1Char('x')) + QStringLiteral(".pdf")));
        } else {
            source = makePdf(QStringLiteral("fine.pdf"),
                             what == QLatin1String("noimages") ? QList<TestPdf::Image>{} : testImages(2));
        }
        if (what == QLatin1String("relative"))
            out = QStringLiteral("out");
        if (what == QLatin1String("badfolder")) {
            // A folder inside a plain file can never be made.
            QFile blocker(outDir.filePath(QStringLiteral("file")));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            out = withSeparator(outDir.filePath(QStringLiteral("file/sub")));
            expectedLine = expectedLine.arg(out, native(blocker.fileName()));
        }
        if (what == QLatin1String("noextractor"))
            tools = ToolLocator(fakeTools({}), false);
        if (what == QLatin1String("noencoder"))
            tools = ToolLocator(pdfimagesOnly(), false);
        if (what == QLatin1String("badencoder"))
            tools = ToolLocator(standIns({QStringLiteral("cjpeg")}), false);

        Host host;
        host.rows = {source};
        host.outputFolder = out;
        ExtractRun run(host, tools);
        if (what == QLatin1String("badencoder")) {
            run.setConfinement(Confinement());
            qputenv("ORVALIN_FAIL_BYTES", "all");
        }
        run.ExtractAll();
        qunsetenv("ORVALIN_FAIL_BYTES");
        QCOMPARE(host.messages, QStringList{ExtractRun::finalMessage(
                                    expectedLine.isEmpty() ? QStringList{} : QStringList{expectedLine})});
        // Whatever went wrong, nothing half-made stays behind.
        QCOMPARE(filesIn(outDir.path(), QStringLiteral("*.ppm")), QStringList{});
        QCOMPARE(filesIn(outDir.path(), QStringLiteral("*.jpg")), QStringList{});
        QCOMPARE(host.pointers.constLast(), Pointer::Default);
        QCOMPARE(host.progress.constLast(), 0);
        QVERIFY(!QFileInfo::exists(QDir::current().filePath(QStringLiteral("out"))));
    }

    void runGoesOnAfterAProblem()
    {
        QTemporaryDir outDir;
        Host host;
        extractAll(
            host,
            {native(m_work.filePath(QStringLiteral("gone.pdf"))), makePdf(QStringLiteral("after.pdf"), testImages(2))},
            withSeparator(outDir.path()));
        QCOMPARE(host.messages, QStringList{QStringLiteral("Done.\n\ngone.pdf: the file is missing.")});
        QCOMPARE(filesIn(outDir.path(), QStringLiteral("*.jpg")), (QStringList{"1.jpg", "2.jpg"}));
    }

    void aListedWorkCopyIsNeverWrittenOver()
    {
        QTemporaryDir app;
        QTemporaryDir outDir;
        const QString listed = app.filePath(QStringLiteral("current.pdf"));
        QVERIFY(TestPdf::write(listed, testImages(2, 30)));
        const QByteArray before = contents(listed);
        const QString other = makePdf(QStringLiteral("other.pdf"), testImages(1, 40));
        Host host;
        host.rows = {other, native(listed), other};
        host.outputFolder = withSeparator(outDir.path());
        ExtractRun run(host, ToolLocator(app.path()));
        run.ExtractAll();
        QCOMPARE(host.messages, QStringList{QStringLiteral("Done.")});
        QCOMPARE(filesIn(outDir.path(), QStringLiteral("*")), (QStringList{"1.jpg", "2.jpg", "3.jpg", "4.jpg"}));
        QCOMPARE(jpegSize(outDir.filePath(QStringLiteral("2.jpg"))), QSize(30, 10));
        QCOMPARE(contents(listed), before);
    }

    void theProblemNamesThePdfWorkedOn()
    {
        // The first row is removed while its extractor runs: its line still
        // names it, not the row that has moved up into its place.
        QTemporaryDir outDir;
        const QString broken = native(m_work.filePath(QStringLiteral("broken-first.pdf")));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("%PDF-1.4\nnot really\n");
        file.close();
        Host host;
        host.rows = {broken, makePdf(QStringLiteral("second.pdf"), testImages(1))};
        host.outputFolder = withSeparator(outDir.path());
        host.onProgress = [&] {
            if (host.progress.size() == 1)
                QTimer::singleShot(0, [&] { host.rows.removeFirst(); });
        };
        ExtractRun run(host, ToolLocator(m_app.path()));
        run.ExtractAll();
        QCOMPARE(host.messages,
                 QStringList{QStringLiteral("Done.\n\nbroken-first.pdf: the file is damaged or is not a PDF file.")});
    }

    void inputDuringARun()
    {
        QTemporaryDir outDir;
        Host host;
        const QString pdf = makePdf(QStringLiteral("during.pdf"), testImages(1));
        host.rows = {pdf, pdf, pdf};
        host.outputFolder = withSeparator(outDir.path());
        ExtractRun run(host, ToolLocator(m_app.path()));
        int calls = 0;
        host.onProgress = [&] {
            if (++calls != 1)
                return;
            // A second "Extract!" while the run is on does nothing ...
            run.ExtractAll();
            // ... and rows removed meanwhile end the run at the list's end.
            host.rows.removeLast();
            host.rows.removeLast();
        };
        run.ExtractAll();
        QCOMPARE(host.messages, QStringList{QStringLiteral("Done.")});
        QCOMPARE(host.progress, (QList<int>{33, 0}));
        QCOMPARE(filesIn(outDir.path(), QStringLiteral("*.jpg")), QStringList{QStringLiteral("1.jpg")});
        QVERIFY(!run.isRunning());
    }

    void argumentsThatLookLikeOptions()
    {
        QCOMPARE(ExtractRun::safeArgument(QStringLiteral("-o")), TestPaths::nativePath(".\\-o"));
        QCOMPARE(ExtractRun::safeArgument(QStringLiteral("a-b")), QStringLiteral("a-b"));
    }

    void extractorFailuresInWords_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("said");
        QTest::addColumn<QString>("words");
        QTest::newRow("password") << 1 << QByteArray("Command Line Error: Incorrect password\n")
                                  << "the PDF is password-protected, so its images cannot be extracted";
        QTest::newRow("damaged") << 1 << QByteArray("Syntax Error: Couldn't find trailer dictionary\n")
                                 << "the file is damaged or is not a PDF file";
        QTest::newRow("permissions") << 3 << QByteArray()
                                     << "the PDF's permissions do not allow its images to be extracted";
        QTest::newRow("no pages") << 99
                                  << QByteArray("Command Line Error: Wrong page range given: the first page (1) can "
                                                "not be larger then the number of pages in the document (0).\n")
                                  << "the file is damaged or is not a PDF file";
        QTest::newRow("other") << 99 << QByteArray() << "the image extractor failed (exit code 99)";
    }
    void extractorFailuresInWords()
    {
        QFETCH(int, code);
        QFETCH(QByteArray, said);
        QFETCH(QString, words);
        QCOMPARE(ExtractRun::describeExtractorFailure(code, said), words);
    }

    void blackAndWhiteImagesBecomeGreyJpegs()
    {
        QTemporaryDir outDir;
        using TestPdf::Kind;
        Host host;
        extractAll(host,
                   {makePdf(QStringLiteral("scan.pdf"), {{Kind::Rgb, 21, 11, 1},
                                                         {Kind::Mono, 203, 97, 2},
                                                         {Kind::Gray, 23, 13, 3},
                                                         {Kind::Jpeg, 64, 48, 4},
                                                         {Kind::Mono, 8, 5, 5}})},
                   withSeparator(outDir.path()));
        QCOMPARE(host.messages, QStringList{QStringLiteral("Done.")});
        QCOMPARE(filesIn(outDir.path(), QStringLiteral("*")),
                 (QStringList{"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg"}));
        const QList<QSize> sizes{{21, 11}, {203, 97}, {23, 13}, {64, 48}, {8, 5}};
        for (int k = 1; k <= 5; ++k)
            QCOMPARE(jpegSize(outDir.filePath(QStringLiteral("%1.jpg").arg(k))), sizes.at(k - 1));
        for (int k : {2, 5})
            QVERIFY(QImage(outDir.filePath(QStringLiteral("%1.jpg").arg(k))).isGrayscale());
    }

    // One program at a time, the extractor alone then the encoders, and the
    // pipelined run all make the same files, to the byte.
    void everyWayOfRunningGivesTheSameFiles()
    {
        using TestPdf::Kind;
        QList<TestPdf::Image> images;
        for (int i = 0; i < 9; ++i)
            images.append({i % 3 == 0 ? Kind::Mono : (i % 3 == 1 ? Kind::Jpeg : Kind::Rgb), 40 + 7 * i, 30 + 3 * i, i});
        const QString pdf = makePdf(QStringLiteral("mixed.pdf"), images);
        QList<QHash<QString, QByteArray>> results;
        for (const auto& [atOnce, pipelined] : {std::pair{1, false}, std::pair{2, false}, std::pair{3, true}}) {
            QTemporaryDir outDir;
            Host host;
            host.rows = {pdf, pdf};
            host.outputFolder = withSeparator(outDir.path());
            ExtractRun run(host, ToolLocator(m_app.path()));
            run.setParallelEncoders(atOnce);
            run.setPipelined(pipelined);
            run.ExtractAll();
            QCOMPARE(host.messages, QStringList{QStringLiteral("Done.")});
            QHash<QString, QByteArray> files;
            for (const QString& name : QDir(outDir.path()).entryList(QDir::Files)) {
                QFile file(outDir.filePath(name));
                QVERIFY(file.open(QIODevice::ReadOnly));
                files.insert(name, file.readAll());
            }
            QCOMPARE(files.size(), 18);
            results.append(files);
        }
        QVERIFY(results.at(0) == results.at(1));
        QVERIFY(results.at(0) == results.at(2));
    }

    // What real PDFs hold, by the extractor's numbers: a narrow strip (0), an
    // image with an alpha channel drawn three times (1 to 6), two rules of one
    // pixel (7, 8), a JPEG image drawn twice (9, 10), an image that cannot be
    // decoded (11), a black-and-white image (12), an inline shape drawn twice
    // (13, 14), an image on a page of odd drawing (15), a JPEG image with an
    // alpha channel (16, 17), an image with an alpha channel of half its size
    // (18, 19) and one picture held as two objects (20, 21).
    static QList<TestPdf::Image> fidelityImages()
    {
        using TestPdf::Kind;
        return {{Kind::Gray, 5, 20, 5},
                {Kind::Rgb, 40, 30, 1, true, 3},
                {Kind::Stencil, 1, 1, 2, false, 2},
                {Kind::Jpeg, 64, 48, 3, false, 2},
                {Kind::Undecodable, 64, 48, 4},
                {Kind::Mono, 50, 40, 6},
                {Kind::Stencil, 16, 16, 7, false, 2},
                {Kind::Rgb, 20, 20, 8, false, 1, "10 10 l S /Odd gs 1 2 put"},
                {Kind::Jpeg, 48, 36, 9, true},
                {Kind::Rgb, 40, 30, 10, true, 1, {}, QSize(20, 15)},
                {Kind::Rgb, 30, 20, 11},
                {Kind::Rgb, 30, 20, 11}};
    }
    // A second PDF of the same run: the picture of 20 once more (100), and
    // one of its own (101).
    static QList<TestPdf::Image> secondPdfImages()
    {
        return {{TestPdf::Kind::Rgb, 30, 20, 11}, {TestPdf::Kind::Rgb, 24, 24, 12}};
    }

    void choices_data()
    {
        QTest::addColumn<QString>(
            "on"); // k: keep JPEG images; m: masks left out, a: applied; t: tiny, r: repeats left out
        QTest::addColumn<QByteArray>("list");      // of a stand-in extractor; empty: the real one
        QTest::addColumn<QByteArray>("extractor"); // the stand-in extractor's way; empty: the real one
        QTest::addColumn<QList<int>>(
            "saved"); // the extractor's numbers of the images saved, in order; 100 on: the second PDF's
        QTest::addColumn<QString>("leftOut");
        QTest::addColumn<QStringList>("problems");
        QList<int> all(22);
        std::iota(all.begin(), all.end(), 0);
        all << 100 << 101;
        const auto without = [&all](const QList<int>& out) {
            QList<int> rest;
            std::copy_if(all.cbegin(), all.cend(), std::back_inserter(rest), [&](int n) { return !out.contains(n); });
            return rest;
        };
        const QString allLeftOut = "14 images left out (masks, tiny images, repeats, same as an earlier image)";
        // Every listed image is written whole: the undecodable one makes no
        // damaged PDF of it.
        QTest::newRow("none") << "" << QByteArray() << QByteArray() << all << "" << QStringList{};
        QTest::newRow("keep JPEG") << "k" << QByteArray() << QByteArray() << all << "" << QStringList{};
        QTest::newRow("masks") << "m" << QByteArray() << QByteArray() << without({2, 4, 6, 17, 19})
                               << "5 images left out (masks)" << QStringList{};
        QTest::newRow("masks applied") << "a" << QByteArray() << QByteArray() << without({2, 4, 6, 17, 19})
                                       << "5 images left out (masks)" << QStringList{};
        QTest::newRow("tiny") << "t" << QByteArray() << QByteArray() << without({0, 7, 8})
                              << "3 images left out (tiny images)" << QStringList{};
        QTest::newRow("repeats") << "r" << QByteArray() << QByteArray() << without({3, 4, 5, 6, 8, 10, 14, 21, 100})
                                 << "9 images left out (repeats, same as an earlier image)" << QStringList{};
        QTest::newRow("all") << "kmtr" << QByteArray() << QByteArray()
                             << QList<int>{1, 9, 11, 12, 13, 15, 16, 18, 20, 101} << allLeftOut << QStringList{};
        QTest::newRow("all, masks applied")
            << "katr" << QByteArray() << QByteArray() << QList<int>{1, 9, 11, 12, 13, 15, 16, 18, 20, 101} << allLeftOut
            << QStringList{};
        // The files after an image that was not written are numbered on
        // without a gap: they still find their entries.
        QTest::newRow("all, an unreadable image between readable ones")
            << "kmtr" << QByteArray() << QByteArray("skip 11") << QList<int>{1, 9, 12, 13, 15, 16, 18, 20, 101}
            << allLeftOut << QStringList{"fidelity.pdf: 1 of its 22 images could not be read."};
        // Without a list to go by, or with one that does not agree with the
        // files, nothing is left out.
        const QString damaged =
            "fidelity.pdf: the PDF is damaged, so some of its images may be missing (22 images saved).";
        QTest::newRow("all, no list") << "kmtr" << QByteArray("fail") << QByteArray() << all << ""
                                      << QStringList{damaged};
        QTest::newRow("all, a list that cannot be read")
            << "kmtr" << QByteArray("shifted") << QByteArray() << all << "" << QStringList{damaged};
        QTest::newRow("all, a list that disagrees")
            << "atr" << QByteArray("wider") << QByteArray() << all << ""
            << QStringList{
                   "fidelity.pdf: the PDF is damaged, so some of its images may be missing (22 images saved); 22 "
                   "images did not match the extractor's list, so they were saved whatever the choices.",
                   "again.pdf: 2 images did not match the extractor's list, so they were saved whatever the "
                   "choices."};
    }
    void choices()
    {
        QFETCH(QString, on);
        QFETCH(QByteArray, list);
        QFETCH(QByteArray, extractor);
        QFETCH(QList<int>, saved);
        QFETCH(QString, leftOut);
        QFETCH(QStringList, problems);
        const QList<TestPdf::Image> images = fidelityImages();
        const QString pdf = makePdf(QStringLiteral("fidelity.pdf"), images);
        const QString again = makePdf(QStringLiteral("again.pdf"), secondPdfImages());
        // Each image as the extractor and the encoder alone make it.
        if (m_bare.jpegs.isEmpty())
            m_bare = barePipeline(pdf);
        if (m_bareAgain.jpegs.isEmpty())
            m_bareAgain = barePipeline(again);
        QCOMPARE(m_bare.jpegs.size(), 22);

        QTemporaryDir outDir;
        Host host;
        ExtractChoices choices;
        choices.keepJpeg = on.contains('k');
        choices.noMasks = on.contains('m');
        choices.applyMasks = on.contains('a');
        choices.noTiny = on.contains('t');
        choices.noRepeats = on.contains('r');
        qputenv("ORVALIN_FAKE_LIST", list);
        qputenv("ORVALIN_FAKE_EXTRACTOR", extractor);
        QStringList standing;
        if (!list.isEmpty() || !extractor.isEmpty())
            standing.append(QStringLiteral("pdfimages"));
        extractAll(host, {pdf, again}, withSeparator(outDir.path()), choices, ToolLocator(standIns(standing), false));
        qunsetenv("ORVALIN_FAKE_LIST");
        qunsetenv("ORVALIN_FAKE_EXTRACTOR");

        QCOMPARE(host.messages, QStringList{ExtractRun::finalMessage(problems, leftOut)});
        QCOMPARE(leftovers(outDir.path()).size(), saved.size());
        // The JPEG images kept as they are, by their numbers, and the images
        // with their masks applied.
        const QHash<int, int> jpegImages{{9, 3}, {10, 3}, {16, 8}};
        const QHash<int, int> masked{{1, 2}, {3, 4}, {5, 6}, {16, 17}, {18, 19}};
        for (qsizetype k = 0; k < saved.size(); ++k) {
            const int n = saved.at(k);
            const QByteArray file = contents(outDir.filePath(QStringLiteral("%1.jpg").arg(k + 1)));
            const QString where = QStringLiteral("%1.jpg, image %2").arg(k + 1).arg(n);
            if (choices.masks() == ExtractChoices::Masks::Apply && masked.contains(n) && list.isEmpty()) {
                // Within what the encoder's compression makes of the image alone.
                const QImage& image = m_bare.images.at(n);
                const double ownError = meanDifference(QImage::fromData(m_bare.jpegs.at(n), "JPG"), image);
                const QImage picture = onWhite(image, m_bare.images.at(masked.value(n)));
                QVERIFY2(meanDifference(QImage::fromData(file, "JPG"), picture) <= ownError, qPrintable(where));
            } else if (choices.keepJpeg && jpegImages.contains(n)) {
                QVERIFY2(file == TestPdf::jpegData(images.at(jpegImages.value(n))), qPrintable(where));
            } else {
                const Bare& bare = n < 100 ? m_bare : m_bareAgain;
                QVERIFY2(file == bare.jpegs.at(n % 100), qPrintable(where));
            }
        }
    }

    void oneFailedEncodingLeavesTheOthers()
    {
        QTemporaryDir outDir;
        using TestPdf::Kind;
        Host host;
        host.rows = {makePdf(QStringLiteral("three.pdf"),
                             {{Kind::Rgb, 10, 10, 1}, {Kind::Rgb, 20, 10, 2}, {Kind::Rgb, 30, 10, 3}})};
        host.outputFolder = withSeparator(outDir.path());
        // The second image's PPM: a header of 13 bytes and 20 x 10 pixels.
        qputenv("ORVALIN_FAIL_BYTES", QByteArray::number(13 + 20 * 10 * 3));
        ExtractRun run(host, ToolLocator(standIns({QStringLiteral("cjpeg")}), false));
        run.setConfinement(Confinement());
        run.ExtractAll();
        qunsetenv("ORVALIN_FAIL_BYTES");
        QCOMPARE(host.messages,
                 QStringList{QStringLiteral("Done.\n\nthree.pdf: the JPEG encoder failed for 1 of 3 images.")});
        QCOMPARE(filesIn(outDir.path(), QStringLiteral("*")), (QStringList{"1.jpg", "3.jpg"}));
        QCOMPARE(jpegSize(outDir.filePath(QStringLiteral("3.jpg"))), QSize(30, 10));
    }

    // A step of the run's own that fails is named for what it is: here the
    // grey copy of a black-and-white page meets a full disk.
    void aFullDiskIsNamed()
    {
        const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
        if (unshare.isEmpty())
            QSKIP("no unshare to give the run a small disk of its own");
        QTemporaryDir disk;
        QTemporaryDir app;
        // The page's 150 KB fit on the disk of 256 KiB; its grey copy of 1.2 MB does not.
        const QString pdf = makePdf(QStringLiteral("page.pdf"), {{TestPdf::Kind::Mono, 1200, 1000, 1}});
        QProcess run;
        run.start(unshare,
                  TestFiles::onFileSystemOfItsOwn(disk.path(), QStringLiteral("size=256k"),
                                                  QStringLiteral("exec \"$2\" \"$3\" \"$1/\" \"$4\""),
                                                  {qEnvironmentVariable("ORVALIN_HEADLESS"), app.path(), pdf}));
        QVERIFY(run.waitForFinished(60000));
        if (run.exitCode() == 99)
            QSKIP("no mount namespace here");
        QCOMPARE(
            QString::fromLocal8Bit(run.readAllStandardOutput()),
            ExtractRun::finalMessage({QStringLiteral("page.pdf: 1 image could not be converted from black and white "
                                                     "to grey (the disk is full).")}));
    }

    // Two instances at once, each with PDFs that share names, into one folder
    // named in the ways a user types it.
    void twoInstancesIntoOneFolder_data()
    {
        QTest::addColumn<QString>("text");   // %1: a temporary folder, also the home folder
        QTest::addColumn<QString>("folder"); // where the images go, below it; empty: nowhere
        QTest::newRow("with separator") << "%1/out/"
                                        << "out";
        QTest::newRow("without separator") << "%1/out"
                                           << "out";
        QTest::newRow("trailing white space") << "%1/out/  \t"
                                              << "out";
        QTest::newRow("home folder") << "~/photos"
                                     << "photos";
        QTest::newRow("relative") << "photos"
                                  << "";
    }
    void twoInstancesIntoOneFolder()
    {
        QFETCH(QString, text);
        QFETCH(QString, folder);
#ifdef Q_OS_WIN
        if (text.startsWith(QLatin1Char('~')))
            QSKIP("Windows takes the home folder from the user's profile, which a test cannot move");
#endif
        QTemporaryDir root;
        QTemporaryDir app;
        QDir(root.path()).mkpath(QStringLiteral("cwd"));
        QDir(root.path()).mkpath(QStringLiteral("a"));
        // Every image has a size of its own, so each can be found again.
        const QString a1 = makePdf(QStringLiteral("a.pdf"), testImages(4, 20));
        const QString a2 = native(root.filePath(QStringLiteral("a/a.pdf")));
        QVERIFY(TestPdf::write(a2, testImages(3, 30)));
        const QString b = makePdf(QStringLiteral("b.pdf"), testImages(5, 40));
        const QList<QStringList> orders{{a1, b, a2}, {a2, a1, b}};

        QList<QProcess*> instances;
        for (const QStringList& rows : orders) {
            auto* instance = new QProcess(this);
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("HOME"), root.path());
            instance->setProcessEnvironment(environment);
            instance->setWorkingDirectory(root.filePath(QStringLiteral("cwd")));
            instance->start(qEnvironmentVariable("ORVALIN_HEADLESS"),
                            QStringList{app.path(), text.arg(native(root.path()))} + rows);
            instances.append(instance);
        }
        for (qsizetype i = 0; i < instances.size(); ++i) {
            QVERIFY(instances.at(i)->waitForFinished(120000));
            QStringList problems;
            for (const QString& row : orders.at(i))
                if (folder.isEmpty())
                    problems.append(QFileInfo(row).fileName()
                                    + QStringLiteral(": the output folder must be a full path."));
            QCOMPARE(QString::fromLocal8Bit(instances.at(i)->readAllStandardOutput()),
                     ExtractRun::finalMessage(problems));
        }
        qDeleteAll(instances);
        QCOMPARE(leftovers(root.filePath(QStringLiteral("cwd"))), QStringList{});
        if (folder.isEmpty()) {
            QCOMPARE(leftovers(root.path()), (QStringList{"a", "cwd"}));
            return;
        }
        // 12 images each: all there, each exactly once per instance, and
        // nothing else.
        const QString out = root.filePath(folder);
        QStringList expected;
        for (int k = 1; k <= 24; ++k)
            expected.append(QStringLiteral("%1.jpg").arg(k));
        QCOMPARE(filesIn(out, QStringLiteral("*")), expected);
        QCOMPARE(leftovers(out).size(), 24);
        QHash<int, int> widths;
        for (const QString& name : expected)
            ++widths[jpegSize(out + QLatin1Char('/') + name).width()];
        for (int width : {20, 21, 22, 23, 30, 31, 32, 40, 41, 42, 43, 44})
            QCOMPARE(widths.value(width), 2);
    }

    // Tools that misbehave, and PDFs that make the extractor complain: what
    // was finished is kept, the rest is named.
    void misbehavingExtractor_data()
    {
        QTest::addColumn<QByteArray>("mode"); // of the stand-in extractor; empty: the real one
        QTest::addColumn<QList<TestPdf::Image>>("images");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QList<int>>("saved"); // the images saved, in order
        using TestPdf::Kind;
        QList<TestPdf::Image> damaged{{Kind::Rgb, 20, 10, 0}};
        for (int i = 1; i <= 12; ++i)
            damaged.append({Kind::Lost, 20 + i, 10, i});
        QTest::newRow("damaged, exits 0")
            << QByteArray() << damaged << "the PDF is damaged, so some of its images may be missing (1 image saved)"
            << QList<int>{0};
        // Paths without a current point, an unknown blend mode, an unknown
        // graphics state and an unknown operator: the drawing is odd, the
        // images are whole.
        QTest::newRow("odd drawing, exits 0")
            << QByteArray()
            << QList<TestPdf::Image>{{Kind::Rgb, 20, 10, 0, false, 1, "10 10 l 5 5 6 6 7 7 c S"},
                                     {Kind::Rgb, 21, 11, 1, false, 1, "/Odd gs /Missing gs 1 2 put"}}
            << "" << QList<int>{0, 1};
        // A syntax error of the drawing where the list still names every
        // image, and every one is written whole.
        QTest::newRow("a syntax error in the drawing, exits 0")
            << QByteArray() << QList<TestPdf::Image>{{Kind::Rgb, 20, 10, 0, false, 1, "} }"}} << "" << QList<int>{0};
        QTest::newRow("writes slowly, in pieces")
            << QByteArray("slow") << testImages(5) << "" << QList<int>{0, 1, 2, 3, 4};
        QTest::newRow("dies after three")
            << QByteArray("die") << testImages(5)
            << "the image extractor stopped unexpectedly; 2 of its 5 images could not be read" << QList<int>{0, 1, 2};
        QTest::newRow("disk full, exits 0")
            << QByteArray("truncate") << testImages(3)
            << "1 image cut short, so the disk of the output folder may be full" << QList<int>{0, 1};
        QTest::newRow("an image not written, exits 0")
            << QByteArray("lose") << testImages(5) << "1 of its 5 images could not be read" << QList<int>{0, 2, 3, 4};
    }
    void misbehavingExtractor()
    {
        QFETCH(QByteArray, mode);
        QFETCH(QList<TestPdf::Image>, images);
        QFETCH(QString, line);
        QFETCH(QList<int>, saved);
        QTemporaryDir outDir;
        Host host;
        host.rows = {makePdf(QStringLiteral("tricky.pdf"), images)};
        host.outputFolder = withSeparator(outDir.path());
        // The stand-in encoder fails on any image that is not whole yet.
        qputenv("ORVALIN_FAKE_EXTRACTOR", mode);
        qputenv("ORVALIN_CHECK_WHOLE", "1");
        ExtractRun run(
            host,
            ToolLocator(standIns(mode.isEmpty() ? QStringList{"cjpeg"} : QStringList{"pdfimages", "cjpeg"}), false));
        run.setConfinement(Confinement());
        run.ExtractAll();
        qunsetenv("ORVALIN_FAKE_EXTRACTOR");
        qunsetenv("ORVALIN_CHECK_WHOLE");
        QCOMPARE(host.messages, QStringList{ExtractRun::finalMessage(
                                    line.isEmpty() ? QStringList{} : QStringList{"tricky.pdf: " + line + "."})});
        QCOMPARE(leftovers(outDir.path()).size(), saved.size());
        // Numbers follow the images' order.
        for (qsizetype k = 0; k < saved.size(); ++k)
            QCOMPARE(jpegSize(outDir.filePath(QStringLiteral("%1.jpg").arg(k + 1))),
                     QSize(images.at(saved.at(k)).width, images.at(saved.at(k)).height));
    }

    // Closing the window, or destroying the run, while a tool hangs, with or
    // without the next PDF read ahead; or the PDF's time running out, after
    // which the run goes on.
    void abandonedRunLeavesNothingBehind_data()
    {
        QTest::addColumn<QString>("hangs");    // the tool that hangs
        QTest::addColumn<bool>("destroy");     // destroy the run rather than abandon it
        QTest::addColumn<int>("timeLimit");    // seconds; 0: abandoned instead
        QTest::addColumn<int>("atOnce");       // programs at once: with 2 the next PDF is read ahead
        QTest::addColumn<QStringList>("left"); // besides the user's files
        QTest::addColumn<QList<QSize>>("sizes");
        QTest::newRow("extractor, abandoned") << "pdfimages" << false << 0 << 1 << QStringList{} << QList<QSize>{};
        QTest::newRow("encoder, abandoned")
            << "cjpeg" << false << 0 << 1 << QStringList{"2.jpg"} << QList<QSize>{{20, 10}};
        QTest::newRow("encoder, destroyed")
            << "cjpeg" << true << 0 << 1 << QStringList{"2.jpg"} << QList<QSize>{{20, 10}};
        QTest::newRow("encoder, abandoned, next PDF read ahead")
            << "cjpeg" << false << 0 << 2 << QStringList{"2.jpg"} << QList<QSize>{{20, 10}};
        QTest::newRow("encoder, past its time")
            << "cjpeg" << false << 4 << 1 << QStringList{"2.jpg", "4.jpg"} << QList<QSize>{{20, 10}, {40, 10}};
    }
    void abandonedRunLeavesNothingBehind()
    {
        QFETCH(QString, hangs);
        QFETCH(bool, destroy);
        QFETCH(int, timeLimit);
        QFETCH(int, atOnce);
        QFETCH(QStringList, left);
        QFETCH(QList<QSize>, sizes);
        QTemporaryDir outDir;
        const QString out = outDir.path();
        QFile mine(outDir.filePath(QStringLiteral("1.jpg")));
        QVERIFY(mine.open(QIODevice::WriteOnly) && mine.write("mine") == 4);
        mine.close();
        Host host;
        // Read ahead, the first PDF has two images: the first saved, the
        // second hanging.
        host.rows = {makePdf(QStringLiteral("three.pdf"), testImages(atOnce > 1 ? 2 : 3, 20))};
        if (timeLimit > 0 || atOnce > 1)
            host.rows.append(makePdf(QStringLiteral("after.pdf"), testImages(1, 40)));
        host.outputFolder = withSeparator(out);
        // The extractor hangs once it has written the images, before any is
        // encoded; the encoder hangs on the second image (21 x 11 pixels) once
        // it has begun its JPEG, with the next PDF's image waiting, read
        // ahead, when two programs run at once.
        qputenv("ORVALIN_FAKE_EXTRACTOR", "hang");
        qputenv("ORVALIN_HANG_BYTES", QByteArray::number(13 + 21 * 11 * 3));
        const QString tools = standIns({hangs});
        auto* run = new ExtractRun(host, ToolLocator(tools, false));
        run->setConfinement(Confinement());
        run->setParallelEncoders(atOnce);
        run->setTimeLimit(timeLimit);
        const auto hanging = [&] {
            const QStringList work = QDir(out).entryList({QStringLiteral(".orvalin-*")}, QDir::Dirs | QDir::Hidden);
            if (hangs == QLatin1String("cjpeg"))
                return QFileInfo(outDir.filePath(QStringLiteral("3.jpg"))).size() > 0
                       && (atOnce == 1
                           || (host.saved == 1 && work.size() == 2
                               && std::any_of(work.cbegin(), work.cend(), [&out](const QString& folder) {
                                      return ExtractorOutput::isWhole(out + QLatin1Char('/') + folder
                                                                      + QStringLiteral("/extractor/image-000.ppm"));
                                  })));
            return !work.isEmpty()
                   && ExtractorOutput::isWhole(out + QLatin1Char('/') + work.constFirst()
                                               + QStringLiteral("/extractor/image-002.ppm"));
        };
        QTimer watch;
        QElapsedTimer waited;
        waited.start();
        bool timedOut = false;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            // A run that never hangs where it should is given up all the same.
            timedOut = waited.hasExpired(30000);
            if (!hanging() && !timedOut)
                return;
            watch.stop();
            if (destroy) {
                delete run;
                run = nullptr;
            } else {
                run->abandon();
            }
        });
        if (timeLimit == 0)
            watch.start(10);
        ExtractRun* const running = run;
        running->ExtractAll();
        qunsetenv("ORVALIN_FAKE_EXTRACTOR");
        qunsetenv("ORVALIN_HANG_BYTES");
        delete run;
        QVERIFY2(!timedOut, "the tool never hung where it should");
        QCOMPARE(leftovers(out), QStringList{"1.jpg"} + left);
#ifdef Q_OS_LINUX
        // Nor is a stand-in left running.
        for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs))
            QVERIFY(!QFileInfo(QStringLiteral("/proc/%1/exe").arg(entry)).symLinkTarget().startsWith(tools));
#endif
        QCOMPARE(contents(outDir.filePath(QStringLiteral("1.jpg"))), QByteArray("mine"));
        for (qsizetype k = 0; k < left.size(); ++k)
            QCOMPARE(jpegSize(outDir.filePath(left.at(k))), sizes.at(k));
        // The abandoned run says nothing more to the window.
        QCOMPARE(host.messages, timeLimit == 0 ? QStringList{}
                                               : QStringList{ExtractRun::finalMessage({QStringLiteral(
                                                   "three.pdf: its programs ran longer than the time limit of 4 s and "
                                                   "were stopped (1 image saved before).")})});
    }

    void finalMessageFitsTheScreen()
    {
        QStringList problems;
        for (int i = 1; i <= 120; ++i)
            problems.append(QStringLiteral("file %1.pdf: the file is missing.").arg(i));
        const QStringList lines = ExtractRun::finalMessage(problems).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2 + 20 + 1);
        QCOMPARE(lines.at(21), problems.at(19));
        QCOMPARE(lines.constLast(), QStringLiteral("\u2026 and 100 more problems"));
        QCOMPARE(ExtractRun::finalDetails(problems), problems.join(QLatin1Char('\n')));
        // A line of a very long path is shortened in the middle; a short list
        // needs no details.
        const QString longLine =
            QStringLiteral("a.pdf: the output folder %1 could not be created.").arg(QString(400, 'x'));
        QCOMPARE(ExtractRun::finalMessage({longLine}).size(), QStringLiteral("Done.\n\n").size() + 200);
        QVERIFY(ExtractRun::finalMessage({longLine}).endsWith(QStringLiteral("be created.")));
        QCOMPARE(ExtractRun::finalDetails({longLine}), longLine);
        QCOMPARE(ExtractRun::finalDetails(problems.mid(0, 3)), QString());
        // The line of what was left out, every reason named, is shorter than
        // a problem line may be.
        const int counts[ImageSelection::kReasons] = {99999, 99999, 99999, 99999};
        QVERIFY(ExtractRun::leftOutLine(counts).size() < 100);
    }

private:
    // Every image of a PDF as the extractor alone writes it, and as the
    // encoder alone makes it a JPEG file, black-and-white ones by way of grey.
    struct Bare {
        QList<QImage> images;
        QList<QByteArray> jpegs;
    };
    Bare m_bare;      // of fidelity.pdf
    Bare m_bareAgain; // of again.pdf

    Bare barePipeline(const QString& pdf)
    {
        QTemporaryDir dir;
        QProcess::execute(QStandardPaths::findExecutable(QStringLiteral("pdfimages")),
                          {pdf, dir.filePath(QStringLiteral("i"))});
        Bare bare;
        for (QString image : QDir(dir.path()).entryList(QDir::Files, QDir::Name)) {
            image = dir.filePath(image);
            bare.images.append(QImage(image));
            if (image.endsWith(QLatin1String(".pbm"))) {
                if (!PbmToPgm::convert(image, image + QStringLiteral(".pgm")))
                    return {};
                image += QStringLiteral(".pgm");
            }
            const QString jpeg = image + QStringLiteral(".jpg");
            QProcess::execute(QStandardPaths::findExecutable(QStringLiteral("cjpeg")),
                              {QStringLiteral("-outfile"), jpeg, image});
            bare.jpegs.append(contents(jpeg));
        }
        return bare;
    }

    QString pdfimagesOnly()
    {
        const QString folder = m_work.filePath(QStringLiteral("only-extractor"));
        QDir().mkpath(folder);
        if (!TestPaths::placeProgram(QStandardPaths::findExecutable(QStringLiteral("pdfimages")), folder,
                                     QStringLiteral("pdfimages")))
            return QString();
        return folder;
    }
    // A folder with the child program standing in for the tools named, and
    // the real ones for the others. The stand-ins start the real tools, which
    // a confined program may not: runs with them go unconfined.
    QString standIns(const QStringList& names)
    {
        const QString folder = fakeTools(names, QStringLiteral("standins"));
        for (const QString& tool : {QStringLiteral("pdfimages"), QStringLiteral("cjpeg")})
            if (!names.contains(tool) && !TestPaths::placeProgram(QStandardPaths::findExecutable(tool), folder, tool))
                return QString();
        return folder;
    }
};

QTEST_MAIN(TestExtractRun)
#include "tst_ExtractRun.moc"
