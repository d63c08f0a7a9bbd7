// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A stand-in program for the runner's and the run's tests.
//   childprogram exit N        exits with code N
//   childprogram sleep MS N    sleeps MS milliseconds, then exits with N
//   childprogram say TEXT N [TIMES]
//                              writes TEXT (TIMES times) to the error channel,
//                              exits with N
//   childprogram crash         ends by abort() (on Windows by an unhandled exception)
//   childprogram window        writes how it was asked to show its window
//                              and whether it has a console, as "SHOW CONSOLE"
//                              (SHOW -1: not asked), and exits with 0
// Named cjpeg and called as "cjpeg -outfile OUT IN", it passes the work on to
// the real encoder, except for an input of ORVALIN_FAIL_BYTES bytes, for which
// it leaves half a file at OUT and fails (for every input with "all"), and an
// input of ORVALIN_HANG_BYTES bytes, for which it leaves half a file and hangs.
// With ORVALIN_CHECK_WHOLE set it first fails (exit 3) on an input that is not
// a whole Netpbm image.
// Named pdfimages and called as "pdfimages [-j] IN PREFIX", it lets the real
// extractor do the work elsewhere, then writes its images under PREFIX one
// after another, each slowly and in pieces, and, as ORVALIN_FAKE_EXTRACTOR
// says:
//   (empty)    ends as the real one did
//   hang       never ends
//   die        writes three images and half of the fourth, and dies
//   truncate   cuts its last image short and exits 0, as on a full disk
//   lose       never writes its second image, as when one cannot be decoded
//   skip N     never writes image N, and numbers the images after it on from
//              N, as some extractors do with an image they cannot read
// Called as "pdfimages -list IN" it lists as the real one does, except with
// ORVALIN_FAKE_LIST set to "fail" (it fails), "shifted" (the list leaves
// out its first entry, so no entry agrees with its file) or "wider" (every
// entry one pixel wider than its image).
#include "extract/NetpbmHeader.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace {

[[noreturn]] void hangForever()
{
    for (;;)
        QThread::sleep(60);
}

void halfFile(const QString& path)
{
    QFile half(path);
    if (half.open(QIODevice::WriteOnly))
        half.write("\xff\xd8\xff");
}

int encoder(const QString& out, const QString& in)
{
    if (qEnvironmentVariableIsSet("ORVALIN_CHECK_WHOLE")) {
        const std::optional<NetpbmHeader> header = NetpbmHeader::readFile(in);
        if (!header || QFileInfo(in).size() != header->fileSize())
            return 3;
    }
    const qint64 size = QFileInfo(in).size();
    const QByteArray fail = qgetenv("ORVALIN_FAIL_BYTES");
    if (fail == "all" || (!fail.isEmpty() && size == fail.toLongLong())) {
        halfFile(out);
        return 1;
    }
    const QByteArray hang = qgetenv("ORVALIN_HANG_BYTES");
    if (!hang.isEmpty() && size == hang.toLongLong()) {
        halfFile(out);
        hangForever();
    }
    return QProcess::execute(QStandardPaths::findExecutable(QStringLiteral("cjpeg")),
                             {QStringLiteral("-outfile"), out, in});
}

[[noreturn]] void crash()
{
#ifdef Q_OS_WIN
    // abort() only exits with 3 there; a crash is an exception nobody handles.
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
#endif
    std::abort();
}

// Writes data to path in four pieces, a little apart, as a slow disk would.
void writeSlowly(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    const qsizetype piece = data.size() / 4 + 1;
    for (qsizetype at = 0; at < data.size(); at += piece) {
        file.write(data.mid(at, piece));
        file.flush();
        QThread::msleep(15);
    }
}

QString realExtractor()
{
    return QStandardPaths::findExecutable(QStringLiteral("pdfimages"));
}

int lister(const QString& in)
{
    const QByteArray mode = qgetenv("ORVALIN_FAKE_LIST");
    if (mode == "fail")
        return 1;
    QProcess real;
    real.start(realExtractor(), {QStringLiteral("-list"), in});
    real.waitForFinished(-1);
    QList<QByteArray> lines = real.readAllStandardOutput().split('\n');
    if (mode == "shifted" && lines.size() > 2)
        lines.removeAt(2);
    for (qsizetype i = 2; mode == "wider" && i < lines.size(); ++i) {
        QList<QByteArray> words = lines.at(i).simplified().split(' ');
        if (words.size() > 3)
            words[3] = QByteArray::number(words.at(3).toInt() + 1);
        lines[i] = words.join(' ');
    }
    std::fputs(lines.join('\n').constData(), stdout);
    return real.exitCode();
}

int extractor(const QStringList& options, const QString& in, const QString& prefix)
{
    QTemporaryDir elsewhere;
    const int result =
        QProcess::execute(realExtractor(), options + QStringList{in, elsewhere.filePath(QStringLiteral("x"))});
    const QByteArray mode = qgetenv("ORVALIN_FAKE_EXTRACTOR");
    const QStringList images = QDir(elsewhere.path()).entryList(QDir::Files, QDir::Name);
    const qsizetype skipped = mode.startsWith("skip ") ? mode.mid(5).toLongLong() : -1;
    for (qsizetype i = 0, written = 0; i < images.size(); ++i) {
        QFile image(elsewhere.filePath(images.at(i)));
        image.open(QIODevice::ReadOnly);
        QByteArray data = image.readAll();
        const bool last = i + 1 == images.size();
        if ((mode == "die" && i == 3) || (mode == "truncate" && last))
            data.truncate(data.size() / 2);
        if ((mode == "lose" && i == 1) || i == skipped)
            continue;
        const QString name = skipped < 0
                                 ? images.at(i).mid(1)
                                 : QStringLiteral("-%1").arg(written, 3, 10, QLatin1Char('0')) + images.at(i).right(4);
        ++written;
        writeSlowly(prefix + name, data);
        if (mode == "die" && i == 3)
            crash();
    }
    if (mode == "hang")
        hangForever();
    return result;
}

QByteArray windowAndConsole()
{
#ifdef Q_OS_WIN
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1;
    return QByteArray::number(show) + ' ' + QByteArray::number(GetConsoleWindow() != nullptr);
#else
    return "-1 0";
#endif
}

} // namespace

int main(int argc, char* argv[])
{
    // Qt reads the arguments as the system passed them: on Windows in UTF-16,
    // where argv would have gone through the ANSI code page.
    const QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const auto is = [&args](qsizetype i, const char* word) {
        return args.size() > i && args.at(i) == QLatin1String(word);
    };
    const auto number = [&args](qsizetype i) { return args.value(i).toInt(); };
    const QString name = QFileInfo(args.constFirst()).baseName();
    if (name == QLatin1String("cjpeg") && args.size() == 4 && is(1, "-outfile"))
        return encoder(args.at(2), args.at(3));
    if (name == QLatin1String("pdfimages") && args.size() == 3 && is(1, "-list"))
        return lister(args.at(2));
    if (name == QLatin1String("pdfimages") && args.size() >= 3)
        return extractor(args.mid(1, args.size() - 3), args.at(args.size() - 2), args.constLast());
    if (args.size() >= 3 && is(1, "exit"))
        return number(2);
    if (args.size() >= 4 && is(1, "sleep")) {
        QThread::msleep(unsigned(number(2)));
        return number(3);
    }
    if (args.size() >= 4 && is(1, "say")) {
        const QByteArray text = args.at(2).toUtf8();
        for (int i = 0; i < qMax(1, number(4)); ++i)
            std::fputs(text.constData(), stderr);
        return number(3);
    }
    if (is(1, "crash"))
        crash();
    if (is(1, "window")) {
        std::fputs(windowAndConsole().constData(), stderr);
        return 0;
    }
    return 100;
}
