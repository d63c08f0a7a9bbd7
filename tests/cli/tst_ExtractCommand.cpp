// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HeadlessHost.h"
#include "TestDocument.h"
#include "TestFiles.h"
#include "TestPaths.h"
#include "TestPdf.h"
#include "cli/CommandLine.h"
#include "cli/Manifest.h"
#include "cli/ProgressLine.h"
#include "extract/ExtractRun.h"
#include "util/Platform.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/types.h>
#endif

namespace {

QList<TestPdf::Image> images(int count, int firstWidth)
{
    QList<TestPdf::Image> list;
    for (int i = 0; i < count; ++i)
        list.append({TestPdf::Kind::Rgb, firstWidth + i, 10, i});
    return list;
}

// Every file of a folder, hidden ones too, with what it holds.
QHash<QString, QByteArray> filesIn(const QString& folder)
{
    QHash<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QFile file(dir.filePath(name));
        files.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(not a file)"));
    }
    return files;
}

} // namespace

class TestExtractCommand : public QObject
{
    Q_OBJECT

    QTemporaryDir m_work;

    // The program started as a script starts it: in folder, with no display
    // of any kind, input written to its standard input.
    std::unique_ptr<QProcess> start(const QStringList& arguments, const QByteArray& input = {},
                                    const QString& folder = QString(), const QString& path = QString())
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        // The work folder is home: "~/out" lands there.
        environment.insert(QStringLiteral("HOME"), m_work.path());
        if (!path.isEmpty())
            environment.insert(QStringLiteral("PATH"), path);
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(folder.isEmpty() ? m_work.path() : folder);
        process->start(qEnvironmentVariable("ORVALIN_EXTRACT"), arguments);
        process->write(input);
        process->closeWriteChannel();
        return process;
    }

    QString makePdf(const QString& name, const QList<TestPdf::Image>& list)
    {
        const QString path = m_work.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        return TestPdf::write(path, list) ? path : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(!makePdf(QStringLiteral("a.pdf"), images(2, 20)).isEmpty());
        QVERIFY(!makePdf(QStringLiteral("tree/b.pdf"), images(1, 30)).isEmpty());
        QVERIFY(!makePdf(QStringLiteral("tree/sub/c.pdf"), images(1, 40)).isEmpty());
    }

    // Every fault a first user met, a row each, and what the program does
    // instead. Each command runs in sh in the work folder, "$E" being the
    // program and "$H" an extractor a PDF took over (tests/confine).
    void promisesKept_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("said");    // a pattern for all it wrote, both channels; %1: the work folder
        QTest::addColumn<int>("jpegs");       // in out; -1: any number
        QTest::addColumn<int>("interruptAt"); // Ctrl+C once out holds as many JPEG files; 0: never
        const QString tryHelp = QStringLiteral("Try 'orvalin-extract --help' for more information\\.\n");
        QTest::newRow("a PDF given as the manifest")
            << "exec \"$E\" -o out --manifest a.pdf a.pdf" << 2
            << "orvalin-extract: the manifest %1a\\.pdf would replace a PDF given as input\n" + tryHelp << 0 << 0;
        QTest::newRow("the manifest's name forgotten")
            << "exec \"$E\" -o out --manifest a.pdf tree/b.pdf" << 2
            << "orvalin-extract: the manifest %1a\\.pdf would replace a file that is not a manifest\n" + tryHelp << 0
            << 0;
        // The heading fits on the disk, the lines of 60 images do not; the
        // disk holds nothing when the run is over.
        QTest::newRow("a manifest on a full disk")
            << "unshare -rm true || exit 99; mkdir disk && unshare -rm sh -c 'mount -t tmpfs -o size=4k none disk || "
               "exit 99; "
               "\"$E\" -o out --manifest disk/m.tsv many.pdf; code=$?; ls -A disk; exit $code'"
            << 1
            << "orvalin-extract: the manifest disk/m\\.tsv could not be written \\(No space left on device\\), so the "
               "run was stopped\n"
            << -1 << 0;
        QTest::newRow("the manifest into head")
            << "(\"$E\" -o out --manifest - many.pdf; echo $? > code) | head -n 1; exit $(cat code)" << 141
            << "file\tsource\tpage\tindex\twidth\theight\tkind\tsaved\n"
            << -1 << 0;
        QTest::newRow("standard output closed")
            << "exec \"$E\" -o out --manifest - a.pdf >&-" << 2
            << "orvalin-extract: --manifest - needs standard output, which is closed\n" + tryHelp << 0 << 0;
        QTest::newRow("an output folder that is no text")
            << "exec \"$E\" -o \"$(printf 'out\\377')\" a.pdf" << 2
            << "orvalin-extract: the output folder 'out\\\\xff' is not valid UTF-8\n" + tryHelp << 0 << 0;
        QTest::newRow("PDFs named in bytes that are no text")
            << "b=$(printf 'b\\376.pdf') && cp a.pdf \"$b\" && mkdir scan && cp a.pdf \"$(printf 'scan/c\\375.pdf')\" "
               "&& "
               "\"$E\" -o out \"$b\" scan tree/b.pdf; code=$?; rm -r \"$b\" scan; exit $code"
            << 1
            << "%1b\\\\xfe\\.pdf: the path is not valid UTF-8, so it was passed over\\.\n"
               "%1scan/c\\\\xfd\\.pdf: the path is not valid UTF-8, so it was passed over\\.\n"
            << 1 << 0;
        QTest::newRow("a current folder that was removed")
            << "mkdir gone && cd gone && rmdir ../gone && exec \"$E\" -o out ../a.pdf" << 2
            << "orvalin-extract: relative paths cannot be used: the current folder was removed\n" + tryHelp << 0 << 0;
        QTest::newRow("a file for the output folder")
            << "exec \"$E\" -o a.pdf tree/b.pdf" << 1 << "orvalin-extract: the output folder %1a\\.pdf/ is a file\n"
            << 0 << 0;
        QTest::newRow("a read-only file system")
            << "unshare -rm true || exit 99; mkdir disk && unshare -rm sh -c 'mount -t tmpfs -o ro none disk || exit "
               "99; exec \"$E\" -o disk/out "
               "a.pdf'"
            << 1 << "orvalin-extract: the output folder %1disk/out/ could not be created \\(Read-only file system\\)\n"
            << 0 << 0;
        // An extractor taken over by a PDF never ends on the first; the
        // second, with no orders in it, gives its one image. A copy of it:
        // tst_Confinement ends every process of the one built.
        QTest::newRow("an extractor that never ends")
            << "[ -n \"$H\" ] || exit 98; mkdir tools && cp \"$E\" tools && cp \"$H\" tools/pdfimages && "
               "echo 'attack endless' > endless.pdf && echo 'no orders' > fine.pdf && "
               "exec tools/orvalin-extract --timeout 1 -o out endless.pdf fine.pdf"
            << 1 << "%1endless\\.pdf: its programs ran longer than the time limit of 1 s and were stopped\\.\n"
            << 1 << 0;
        // No manifest line runs on from the progress line, and the summary
        // counts the PDFs done.
        QTest::newRow("interrupted on a terminal")
            << "exec script -qfec 'echo $$ > pid; exec \"$E\" --jobs 1 --manifest - -o out forty' /dev/null" << 130
            << "[\\s\\S]*(?:\\r\\n|\\r\\x1b\\[K)Interrupted: (?<images>\\d+) images from (?<pdfs>[1-3]?[0-9]) of 40 "
               "PDFs in [0-9.]+ s\\r\\n"
            << -1 << 5;
    }
    void promisesKept()
    {
#ifndef Q_OS_UNIX
        QSKIP("the faults are those of POSIX shells, pipes, signals and paths as bytes");
#else
        QFETCH(QString, command);
        QFETCH(int, code);
        QFETCH(QString, said);
        QFETCH(int, jpegs);
        QFETCH(int, interruptAt);
        QDir(m_work.path()).removeRecursively();
        initTestCase();
        QVERIFY(!makePdf(QStringLiteral("many.pdf"), images(60, 8)).isEmpty());
        for (int n = 1; n <= 40 && command.contains(QLatin1String("forty")); ++n)
            QVERIFY(!makePdf(QStringLiteral("forty/%1.pdf").arg(n), images(2, 10 + n)).isEmpty());
        const QByteArray pdf = TestFiles::contents(m_work.filePath(QStringLiteral("a.pdf")));
        const QString program = qEnvironmentVariable("ORVALIN_EXTRACT");

        QProcess shell;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_work.path());
        environment.insert(QStringLiteral("E"), program);
        environment.insert(QStringLiteral("H"), qEnvironmentVariable("ORVALIN_HOSTILE"));
        shell.setProcessEnvironment(environment);
        shell.setWorkingDirectory(m_work.path());
        shell.setProcessChannelMode(QProcess::MergedChannels);
        shell.start(QStringLiteral("sh"), {QStringLiteral("-c"), command});
        const QString out = m_work.filePath(QStringLiteral("out"));
        const auto jpegFiles = [&out] { return QDir(out).entryList({QStringLiteral("*.jpg")}, QDir::Files).size(); };
        if (interruptAt > 0) {
            QTRY_VERIFY_WITH_TIMEOUT(jpegFiles() >= interruptAt, 60000);
            ::kill(pid_t(TestFiles::contents(m_work.filePath(QStringLiteral("pid"))).trimmed().toLongLong()), SIGINT);
        }
        QVERIFY(shell.waitForFinished(60000));
        if (shell.exitCode() == 99 && command.contains(QLatin1String("unshare")))
            QSKIP("no mount namespace here");
        if (shell.exitCode() == 127 && command.contains(QLatin1String("exec script")))
            QSKIP("no script here to give the program a terminal");
        if (shell.exitCode() == 98)
            QSKIP("no stand-in extractor is built for this system");
        const QString all = QString::fromLocal8Bit(shell.readAll());
        QCOMPARE(shell.exitCode(), code);
        const QRegularExpressionMatch match =
            QRegularExpression(
                QRegularExpression::anchoredPattern(said.replace(
                    QLatin1String("%1"), QRegularExpression::escape(TestPaths::withSeparator(m_work.path())))))
                .match(all);
        QVERIFY2(match.hasMatch(), all.right(300).toUtf8().toPercentEncoding(" \t/:.").constData());
        QVERIFY2(!all.contains(QRegularExpression(QStringLiteral("(?<![\\d\\n]|\\x1b\\[K)\\d+\\.jpg\\t"))),
                 "a manifest line runs on from the progress line");
        // Whatever ended the run, it left nothing half-made and took no
        // other path for the one it was given.
        QCOMPARE(TestFiles::workFolders(out), QStringList{});
        QCOMPARE(TestFiles::unfinishedJpegs(out), QStringList{});
        if (jpegs >= 0)
            QCOMPARE(jpegFiles(), jpegs);
        if (const QString saved = match.captured(QStringLiteral("images")); !saved.isEmpty()) {
            QCOMPARE(jpegFiles(), saved.toInt());
            // Two images a PDF: those of the PDFs done, and some of the next.
            const int done = match.captured(QStringLiteral("pdfs")).toInt();
            QVERIFY2(saved.toInt() >= 2 * done && saved.toInt() <= 2 * done + 2, qPrintable(all.right(80)));
        }
        QCOMPARE(TestFiles::contents(m_work.filePath(QStringLiteral("a.pdf"))), pdf);
        for (const QString& folder :
             {m_work.path(), QFileInfo(program).path(), m_work.filePath(QStringLiteral("tools"))})
            QCOMPARE(QDir(folder).entryList({QStringLiteral("*") + QChar::ReplacementCharacter + QLatin1Char('*'),
                                             QStringLiteral("current*")},
                                            QDir::AllEntries | QDir::Hidden),
                     QStringList{});
#endif
    }

    // Exit codes and usage errors; a usage error writes nothing.
    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments"); // run in the work folder; "out" is the output folder
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("said");      // the first line on the error channel
        QTest::addColumn<QList<int>>("widths"); // of the JPEG files made, in order
        QTest::addColumn<QString>("path");      // PATH, when not the system's
        QTest::newRow("nothing") << QStringList{} << QByteArray() << 2
                                 << "orvalin-extract: no output folder: give one with -o FOLDER" << QList<int>{}
                                 << QString();
        QTest::newRow("no input") << QStringList{"-o", "out"} << QByteArray() << 2
                                  << "orvalin-extract: no input: give PDF files or folders, or - to read their paths"
                                  << QList<int>{} << QString();
        QTest::newRow("unknown option") << QStringList{"-o", "out", "--fast", "a.pdf"} << QByteArray() << 2
                                        << "orvalin-extract: unknown option '--fast'" << QList<int>{} << QString();
        QTest::newRow("an option for a value")
            << QStringList{"--manifest", "-o", "out", "a.pdf"} << QByteArray() << 2
            << "orvalin-extract: --manifest needs a file, not '-o'" << QList<int>{} << QString();
        QTest::newRow("a blank folder") << QStringList{"-o", " ", "a.pdf"} << QByteArray() << 2
                                        << "orvalin-extract: no output folder: give one with -o FOLDER" << QList<int>{}
                                        << QString();
        QTest::newRow("no folder after -o") << QStringList{"a.pdf", "-o"} << QByteArray() << 2
                                            << "orvalin-extract: missing value after '-o'" << QList<int>{} << QString();
        QTest::newRow("jobs not a number")
            << QStringList{"--jobs", "many", "-o", "out", "a.pdf"} << QByteArray() << 2
            << "orvalin-extract: --jobs needs a whole number from 1 to 1024, not 'many'" << QList<int>{} << QString();
        QTest::newRow("manifest cannot be written")
            << QStringList{"--manifest", "missing/m.tsv", "-o", "out", "a.pdf"} << QByteArray() << 2
            << "orvalin-extract: cannot write the manifest missing/m.tsv: No such file or directory" << QList<int>{}
            << QString();
        QTest::newRow("a PDF") << QStringList{"-o", "out", "a.pdf"} << QByteArray() << 0 << "" << QList<int>{20, 21}
                               << QString();
        QTest::newRow("a folder, as the folder button adds it")
            << QStringList{"--jobs", "1", "-o", "out", "tree"} << QByteArray() << 0 << "" << QList<int>{30, 40}
            << QString();
        QTest::newRow("paths on standard input")
            << QStringList{"-o", "out", "-"} << QByteArray("tree/b.pdf\r\n\na.pdf\n") << 0 << ""
            << QList<int>{30, 20, 21} << QString();
        QTest::newRow("NUL-separated paths") << QStringList{"-0", "--output=out"} << QByteArray("a.pdf\0tree", 10) << 0
                                             << "" << QList<int>{20, 21, 30, 40} << QString();
        // The whole path: two folders may hold PDFs of one name.
        QTest::newRow("a problem") << QStringList{"-o", "out", "gone.pdf", "a.pdf"} << QByteArray() << 1
                                   << "%1gone.pdf: the file is missing." << QList<int>{20, 21} << QString();
        // Checked once, before anything is written.
        if (!QFileInfo::exists(QFileInfo(qEnvironmentVariable("ORVALIN_EXTRACT")).path() + QLatin1Char('/')
                               + Platform::executableName(QStringLiteral("pdfimages"))))
            QTest::newRow("no extractor")
                << QStringList{"-o", "out", "a.pdf", "tree"} << QByteArray() << 1
                << "orvalin-extract: the image extractor (pdfimages) was not found" << QList<int>{} << "/nowhere";
        // As the window reads its box: "~/" is home, white space at the end dropped.
        if (Platform::separator() == QLatin1Char('/'))
            QTest::newRow("home folder") << QStringList{"-o", "~/out  ", "a.pdf"} << QByteArray() << 0 << ""
                                         << QList<int>{20, 21} << QString();
        QTest::newRow("nothing to extract") << QStringList{"-o", "out", "-"} << QByteArray() << 1
                                            << "orvalin-extract: no PDF files to extract" << QList<int>{} << QString();
    }
    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(int, code);
        QFETCH(QString, said);
        QFETCH(QList<int>, widths);
        QFETCH(QString, path);
        QDir(m_work.path()).removeRecursively();
        initTestCase();
        const std::unique_ptr<QProcess> process = start(arguments, input, QString(), path);
        QVERIFY(process->waitForFinished(60000));
        QCOMPARE(process->exitCode(), code);
        // Lines end with "\r\n" on Windows; the system words its own errors.
        const QString error = QString::fromLocal8Bit(process->readAllStandardError()).remove(QLatin1Char('\r'));
        if (said.endsWith(QLatin1String("No such file or directory"))) {
            QFile missing(m_work.filePath(QStringLiteral("missing/m.tsv")));
            QVERIFY(!missing.open(QIODevice::WriteOnly));
            said.replace(QLatin1String("No such file or directory"), missing.errorString());
        }
        QCOMPARE(error.section(QLatin1Char('\n'), 0, 0), said.arg(TestPaths::withSeparator(m_work.path())));
        const QString out = m_work.filePath(QStringLiteral("out"));
        if (code == 2)
            QCOMPARE(error.section(QLatin1Char('\n'), 1, 1),
                     QStringLiteral("Try 'orvalin-extract --help' for more information."));
        if (code == 2 || !path.isEmpty())
            QVERIFY(!QFileInfo::exists(out));
        QCOMPARE(filesIn(out).size(), widths.size());
        for (qsizetype k = 0; k < widths.size(); ++k)
            QCOMPARE(QImageReader(out + QStringLiteral("/%1.jpg").arg(k + 1)).size().width(), widths.at(k));
    }

    // --masks takes the three ways of the window's menu; --no-masks is one of them.
    void masksOption_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("masks"); // ExtractChoices::Masks, when read
        QTest::addColumn<QString>("error");
        using Masks = ExtractChoices::Masks;
        QTest::newRow("none") << QStringList{} << int(Masks::Save) << "";
        QTest::newRow("save") << QStringList{"--masks", "save"} << int(Masks::Save) << "";
        QTest::newRow("leave out") << QStringList{"--masks=leave-out"} << int(Masks::LeaveOut) << "";
        QTest::newRow("the older name") << QStringList{"--no-masks"} << int(Masks::LeaveOut) << "";
        QTest::newRow("both names") << QStringList{"--no-masks", "--masks", "leave-out"} << int(Masks::LeaveOut) << "";
        QTest::newRow("apply") << QStringList{"--masks", "apply"} << int(Masks::Apply) << "";
        QTest::newRow("no such way") << QStringList{"--masks", "drop"} << 0
                                     << "--masks needs save, leave-out or apply, not 'drop'";
        QTest::newRow("names that disagree") << QStringList{"--no-masks", "--masks", "apply"} << 0
                                             << "--no-masks and --masks apply say different things";
    }
    void masksOption()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, masks);
        QFETCH(QString, error);
        const CommandLine line = CommandLine::parse(arguments + QStringList{"-o", "out", "a.pdf"});
        QCOMPARE(line.error, error);
        if (error.isEmpty())
            QCOMPARE(int(line.choices.masks()), masks);
    }

    void helpAndVersion()
    {
        const std::unique_ptr<QProcess> help = start({QStringLiteral("--help")});
        QVERIFY(help->waitForFinished(10000));
        QCOMPARE(help->exitCode(), 0);
        QVERIFY(
            help->readAllStandardOutput().startsWith("Usage: orvalin-extract [options] -o FOLDER PDF-or-FOLDER..."));
        const std::unique_ptr<QProcess> version = start({QStringLiteral("--version")});
        QVERIFY(version->waitForFinished(10000));
        const QString said = QString::fromLocal8Bit(version->readAllStandardOutput()).remove(QLatin1Char('\r'));
        QVERIFY2(said.contains(QRegularExpression(
                     QStringLiteral("^extractor: \\S*pdfimages(\\.exe)? \\(pdfimages version [0-9.]+\\)$"),
                     QRegularExpression::MultilineOption)),
                 qPrintable(said));
        QVERIFY2(said.contains(QRegularExpression(QStringLiteral("^encoder: \\S*cjpeg(\\.exe)? \\(.*version.*\\)$"),
                                                  QRegularExpression::MultilineOption)),
                 qPrintable(said));
        QVERIFY2(
            said.contains(QRegularExpression(QStringLiteral("^confinement: .+$"), QRegularExpression::MultilineOption)),
            qPrintable(said));
    }

    // Tools installed where people without root keep them: in a prefix of
    // their own with their libraries beside them, found by RUNPATH or by
    // LD_LIBRARY_PATH, or behind a wrapper script. They run confined.
    void toolsWhereUsersKeepThem_data()
    {
        QTest::addColumn<QString>("tool"); // the one of the two set up so
        QTest::addColumn<QString>("how");  // "runpath", "elsewhere", "library path", "script", "nowhere"
        QTest::addColumn<QString>("said"); // the first line on the error channel; empty: none
        QTest::newRow("cjpeg, its libjpeg by RUNPATH") << "cjpeg"
                                                       << "runpath"
                                                       << "";
        QTest::newRow("cjpeg, its libjpeg by RUNPATH elsewhere") << "cjpeg"
                                                                 << "elsewhere"
                                                                 << "";
        QTest::newRow("cjpeg, its libjpeg by LD_LIBRARY_PATH") << "cjpeg"
                                                               << "library path"
                                                               << "";
        QTest::newRow("pdfimages, its libpoppler by RUNPATH") << "pdfimages"
                                                              << "runpath"
                                                              << "";
        QTest::newRow("cjpeg behind a script with a subshell") << "cjpeg"
                                                               << "script"
                                                               << "";
        QTest::newRow("pdfimages behind a script") << "pdfimages"
                                                   << "script"
                                                   << "";
        // Told once, in the loader's own words, before any PDF.
        QTest::newRow("cjpeg, its libjpeg nowhere")
            << "cjpeg"
            << "nowhere"
            << "orvalin-extract: the JPEG encoder %1 cannot start confined: its loader said \"libjpeg-nowhere.so.62: "
               "cannot open shared object file: No such file or directory\"";
    }
    void toolsWhereUsersKeepThem()
    {
        QFETCH(QString, tool);
        QFETCH(QString, how);
        QFETCH(QString, said);
#ifndef Q_OS_LINUX
        QSKIP("tools kept in prefixes of their own, with RUNPATH and LD_LIBRARY_PATH, are the Linux loader's");
#endif
        const QString patchelf = QStandardPaths::findExecutable(QStringLiteral("patchelf"));
        if (patchelf.isEmpty() && how != QLatin1String("script"))
            QSKIP("patchelf is not installed (scripts/setup installs it)");
        const QString system = QStandardPaths::findExecutable(tool);
        const QString library =
            tool == QLatin1String("cjpeg") ? QStringLiteral("libjpeg.so.62") : QStringLiteral("libpoppler.so.126");
        QTemporaryDir root;
        const QString prefix = root.filePath(QStringLiteral("prefix"));
        const QString program = prefix + QStringLiteral("/bin/") + tool;
        const QString libraries = how == QLatin1String("runpath") ? prefix + QStringLiteral("/lib")
                                                                  : root.filePath(QStringLiteral("elsewhere/lib"));
        QVERIFY(QDir().mkpath(prefix + QStringLiteral("/bin")) && QDir().mkpath(libraries));
        const auto patch = [&](const QStringList& arguments) { return QProcess::execute(patchelf, arguments) == 0; };
        if (how == QLatin1String("script")) {
            QVERIFY(TestFiles::write(program, "#!/bin/sh\nsaid=$(echo started)\nexec " + QFile::encodeName(system)
                                                  + " \"$@\"\n"));
        } else {
            // Its library under a name of its own, which the system does not hold.
            const QString own =
                library.section(QLatin1Char('.'), 0, 0)
                + (how == QLatin1String("nowhere") ? QStringLiteral("-nowhere") : QStringLiteral("-own"))
                + QLatin1Char('.') + library.section(QLatin1Char('.'), 1);
            const QString copy = libraries + QLatin1Char('/') + own;
            QVERIFY(
                QFile::copy(QFileInfo(QStringLiteral("/lib/x86_64-linux-gnu/") + library).canonicalFilePath(), copy));
            QVERIFY(QFile::copy(system, program));
            QVERIFY(patch({QStringLiteral("--set-soname"), own, copy}));
            QVERIFY(patch({QStringLiteral("--replace-needed"), library, own, program}));
            if (how == QLatin1String("runpath"))
                QVERIFY(patch({QStringLiteral("--set-rpath"), QStringLiteral("$ORIGIN/../lib"), program}));
            if (how == QLatin1String("elsewhere"))
                QVERIFY(patch({QStringLiteral("--set-rpath"), libraries, program}));
            if (how == QLatin1String("nowhere"))
                QVERIFY(QFile::remove(copy));
        }
        QVERIFY(QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner));
        if (how == QLatin1String("library path"))
            qputenv("LD_LIBRARY_PATH", QFile::encodeName(libraries));
        const QString out = root.filePath(QStringLiteral("out"));
        const std::unique_ptr<QProcess> process =
            start({QStringLiteral("-o"), out, m_work.filePath(QStringLiteral("a.pdf"))}, {}, QString(),
                  prefix + QStringLiteral("/bin:") + qEnvironmentVariable("PATH"));
        QVERIFY(process->waitForFinished(60000));
        qunsetenv("LD_LIBRARY_PATH");
        const QString error = QString::fromLocal8Bit(process->readAllStandardError());
        QCOMPARE(error.section(QLatin1Char('\n'), 0, 0), said.isEmpty() ? QString() : said.arg(program));
        QCOMPARE(process->exitCode(), said.isEmpty() ? 0 : 1);
        QCOMPARE(filesIn(out).size(), said.isEmpty() ? 2 : 0);
    }

    // Four instances at once into one folder, 24 PDFs between them: every
    // image comes out exactly once, and nothing else is left.
    void parallelInstances()
    {
        QTemporaryDir root;
        QList<QStringList> batches(4);
        QSet<int> widths;
        for (int n = 0; n < 24; ++n) {
            const QString pdf = root.filePath(QStringLiteral("in/%1.pdf").arg(n));
            QDir().mkpath(QFileInfo(pdf).path());
            QVERIFY(TestPdf::write(pdf, images(2, 20 + 2 * n)));
            batches[n % 4].append(pdf);
            widths << 20 + 2 * n << 21 + 2 * n;
        }
        std::vector<std::unique_ptr<QProcess>> instances;
        for (const QStringList& batch : batches)
            instances.push_back(start(QStringList{QStringLiteral("--jobs"), QStringLiteral("2"), QStringLiteral("-o"),
                                                  root.filePath(QStringLiteral("out"))}
                                      + batch));
        for (const auto& instance : instances) {
            QVERIFY(instance->waitForFinished(120000));
            QCOMPARE(instance->exitCode(), 0);
        }
        const QHash<QString, QByteArray> files = filesIn(root.filePath(QStringLiteral("out")));
        QCOMPARE(files.size(), 48);
        QSet<int> seen;
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            QVERIFY2(it.key().endsWith(QLatin1String(".jpg")), qPrintable(it.key()));
            QImage image;
            QVERIFY(image.loadFromData(it.value(), "JPG"));
            seen.insert(image.width());
        }
        QCOMPARE(seen, widths);
    }

    // Three PDFs (many images, none, a few) whose extractors end in the
    // opposite order, the third first, each read ahead while the one before
    // is busy: the files, their numbers and the manifest are those of one
    // program at a time.
    void numbersKeepTheListsOrder()
    {
#ifndef Q_OS_UNIX
        QSKIP("the extractor is wrapped in a shell script");
#endif
        using TestDocument::Figure;
        using TestPdf::Kind;
        QTemporaryDir root;
        const QString marks = root.filePath(QStringLiteral("marks"));
        QVERIFY(QDir().mkpath(marks) && QDir().mkpath(root.filePath(QStringLiteral("bin"))));
        // Once the real extractor is done, the wrapper waits for the mark its
        // PDF names at its end, then leaves a mark of its own, in the order
        // it ends: in a run where the marks folder says so.
        QVERIFY(TestFiles::write(
            root.filePath(QStringLiteral("bin/pdfimages")),
            "#!/bin/sh\nfor a; do input=$before; before=$a; done\n"
                + QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("pdfimages")))
                + " \"$@\" || exit $?\nset -- $(tail -c 200 \"$input\" 2>/dev/null | sed -n 's/^%order //p')\n"
                  "[ $# = 2 ] || exit 0\nn=0\n"
                  "while [ -e '"
                + QFile::encodeName(marks)
                + "/scripted' ] && [ ! -e \"$1\" ] && [ $n -lt 600 ]; do sleep 0.05; n=$((n + 1)); done\n"
                  "touch \"$2\" && basename \"$2\" >> '"
                + QFile::encodeName(marks) + "/ended'\n"));
        QVERIFY(
            QFile::setPermissions(root.filePath(QStringLiteral("bin/pdfimages")), QFile::ReadOwner | QFile::ExeOwner));
        QList<Figure> many;
        for (int i = 0; i < 12; ++i)
            many.append({i / 6, {Kind(i % 4), 20 + i, 12 + i, i, i % 5 == 0}});
        const QList<TestDocument::Document> documents{
            {2, 1, many}, {30, 2}, {3, 3, {{0, {Kind::Jpeg, 30, 20, 7}}, {2, {Kind::Gray, 17, 9, 8}}}}};
        QStringList pdfs;
        for (int i = 0; i < 3; ++i) {
            pdfs.append(root.filePath(QStringLiteral("in/%1.pdf").arg(i + 1)));
            QDir().mkpath(root.filePath(QStringLiteral("in")));
            QVERIFY(TestDocument::write(pdfs.last(), documents.at(i)));
            // The first waits for the second, the second for the third.
            QFile pdf(pdfs.last());
            QVERIFY(pdf.open(QIODevice::Append));
            pdf.write("%order " + QFile::encodeName(i == 2 ? marks : marks + QLatin1Char('/') + QString::number(i + 2))
                      + ' ' + QFile::encodeName(marks + QLatin1Char('/') + QString::number(i + 1)) + '\n');
        }
        const auto extract = [&](const QString& jobs) {
            const QString folder = root.filePath(QStringLiteral("jobs-") + jobs);
            QDir().mkpath(folder);
            for (const char* mark : {"ended", "1", "2", "3"})
                QFile::remove(marks + QLatin1Char('/') + QLatin1String(mark));
            const std::unique_ptr<QProcess> process =
                start(QStringList{QStringLiteral("--no-confinement"), QStringLiteral("--jobs"), jobs,
                                  QStringLiteral("--manifest"), QStringLiteral("m.tsv"), QStringLiteral("-q"),
                                  QStringLiteral("-o"), QStringLiteral("out")}
                          + pdfs,
                      {}, folder, root.filePath(QStringLiteral("bin:")) + qEnvironmentVariable("PATH"));
            process->waitForFinished(120000);
            return std::tuple{
                process->exitCode(), process->readAllStandardError(), filesIn(folder + QStringLiteral("/out")),
                TestFiles::contents(folder + QStringLiteral("/m.tsv")).replace(QFile::encodeName(folder), ""),
                TestFiles::contents(marks + QStringLiteral("/ended"))};
        };
        const QByteArray unconfined = "orvalin-extract: the tools run unconfined (--no-confinement)\n";
        const auto [code, said, files, manifest, ended] = extract(QStringLiteral("1"));
        QCOMPARE(code, 0);
        QCOMPARE(said, unconfined);
        QCOMPARE(ended, QByteArray("1\n2\n3\n"));
        QCOMPARE(files.size(), TestDocument::imageCount(documents.at(0)) + 2);
        QVERIFY(TestFiles::write(marks + QStringLiteral("/scripted"), {}));
        const auto [aheadCode, aheadSaid, aheadFiles, aheadManifest, aheadEnded] = extract(QStringLiteral("3"));
        QCOMPARE(aheadEnded, QByteArray("3\n2\n1\n"));
        QCOMPARE(aheadCode, 0);
        QCOMPARE(aheadSaid, unconfined);
        QStringList names = files.keys();
        QStringList aheadNames = aheadFiles.keys();
        names.sort();
        aheadNames.sort();
        QCOMPARE(aheadNames, names);
        QVERIFY(aheadFiles == files);
        QCOMPARE(aheadManifest, manifest);
    }

    // The command line and the window's run give the same files, byte for
    // byte, and the manifest names each of them.
    void sameFilesAsTheWindow()
    {
        using TestPdf::Kind;
        const QString pdf = makePdf(QStringLiteral("mixed.pdf"), {{Kind::Jpeg, 64, 48, 1, false, 2},
                                                                  {Kind::Rgb, 40, 30, 2, true},
                                                                  {Kind::Mono, 50, 40, 3},
                                                                  {Kind::Stencil, 1, 1, 4}});
        QTemporaryDir window;
        HeadlessHost host;
        host.rows = {QDir::toNativeSeparators(pdf)};
        host.outputFolder = TestPaths::withSeparator(window.path());
        ExtractRun run(host, ToolLocator(QString()));
        run.setChoices({true, false, true, true});
        run.ExtractAll();
        QCOMPARE(host.messages, QStringList{QStringLiteral("Done.\n2 images left out (tiny images, repeats)")});

        QTemporaryDir line;
        const std::unique_ptr<QProcess> process =
            start({QStringLiteral("--keep-jpeg"), QStringLiteral("--no-tiny"), QStringLiteral("--no-repeats"),
                   QStringLiteral("--manifest"), QStringLiteral("m.tsv"), QStringLiteral("-o"), line.path(), pdf},
                  {}, line.path());
        QVERIFY(process->waitForFinished(60000));
        QCOMPARE(process->exitCode(), 0);
        QHash<QString, QByteArray> files = filesIn(line.path());
        const QByteArray manifest = files.take(QStringLiteral("m.tsv"));
        QCOMPARE(files, filesIn(window.path()));
        QCOMPARE(files.size(), 4);
        QList<QByteArray> lines = manifest.split('\n');
        QCOMPARE(lines.takeFirst() + '\n', Manifest::heading());
        std::sort(lines.begin(), lines.end());
        const QString source = QDir::toNativeSeparators(pdf);
        QCOMPARE(lines, (QList<QByteArray>{"", "1.jpg\t" + source.toUtf8() + "\t1\t0\t64\t48\timage\tkept",
                                           "2.jpg\t" + source.toUtf8() + "\t2\t2\t40\t30\timage\tencoded",
                                           "3.jpg\t" + source.toUtf8() + "\t2\t3\t40\t30\tsmask\tencoded",
                                           "4.jpg\t" + source.toUtf8() + "\t3\t4\t50\t40\timage\tencoded"}));
    }

    void manifestOnStandardOutput()
    {
        const std::unique_ptr<QProcess> process =
            start({QStringLiteral("--manifest"), QStringLiteral("-"), QStringLiteral("-o"), QStringLiteral("out"),
                   QStringLiteral("a.pdf")});
        QVERIFY(process->waitForFinished(60000));
        QCOMPARE(process->exitCode(), 0);
        QCOMPARE(process->readAllStandardOutput().count('\n'), 3); // the heading and two images
    }

    void manifestLinesStayOneLine()
    {
        if (Platform::separator() != QLatin1Char('/'))
            QSKIP("Windows paths hold no tab or line end, and their backslashes are written as they are");
        const ExtractHost::SavedImage image{
            QStringLiteral("/o/7.jpg"), QStringLiteral("/in/a\tb\nc\\d.pdf"), 0, 3, 0, 0, QString(), false};
        QCOMPARE(Manifest::line(image), QByteArray("7.jpg\t/in/a\\tb\\nc\\\\d.pdf\t\t3\t\t\t\tencoded\n"));
    }

    void progressLine_data()
    {
        QTest::addColumn<int>("elapsed"); // seconds
        QTest::addColumn<double>("fraction");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("text");
        QTest::newRow("too soon to tell") << 0 << 0.5 << 80 << "3/120 PDFs  1,234/1,500 images  0:00";
        QTest::newRow("a quarter in a minute")
            << 60 << 0.25 << 80 << "3/120 PDFs  1,234/1,500 images  1:00  about 3:00 left";
        QTest::newRow("hours") << 3 * 3600 + 5 << 0.5 << 80
                               << "3/120 PDFs  1,234/1,500 images  3:00:05  about 3:00:05 left";
        // Words go first, and the time left last.
        QTest::newRow("narrow terminal") << 60 << 0.25 << 20 << "3/120  3:00 left";
        QTest::newRow("forty columns") << 60 << 0.25 << 40 << "3/120  1,234/1,500  1:00  3:00 left";
    }
    void progressLine()
    {
        QFETCH(int, elapsed);
        QFETCH(double, fraction);
        QFETCH(int, width);
        QFETCH(QString, text);
        QCOMPARE(ProgressLine::text({3, 120, 1234, 1500, fraction, elapsed * qint64(1000)}, width), text);
    }
};

QTEST_MAIN(TestExtractCommand)
#include "tst_ExtractCommand.moc"
