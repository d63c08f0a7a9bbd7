// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A stand-in program for the runner's and the run's tests.
//   childprogram exit N        exits with code N
//   childprogram sleep MS N    sleeps MS milliseconds, then exits with N
//   childprogram say TEXT N    writes TEXT to the error channel, exits with N
//   childprogram crash         ends by abort()
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
// Called as "pdfimages -list IN" it lists as the real one does, except with
// ORVALIN_FAKE_LIST set to "fail" (it fails) or "shifted" (the list leaves
// out its first entry, so no entry agrees with its file).
#include "extract/NetpbmHeader.h"

#include <QByteArray>
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
    for (qsizetype i = 0; i < images.size(); ++i) {
        QFile image(elsewhere.filePath(images.at(i)));
        image.open(QIODevice::ReadOnly);
        QByteArray data = image.readAll();
        const bool last = i + 1 == images.size();
        if ((mode == "die" && i == 3) || (mode == "truncate" && last))
            data.truncate(data.size() / 2);
        if (mode == "lose" && i == 1)
            continue;
        writeSlowly(prefix + images.at(i).mid(1), data);
        if (mode == "die" && i == 3)
            std::abort();
    }
    if (mode == "hang")
        hangForever();
    return result;
}

} // namespace

int main(int argc, char* argv[])
{
    const QString name = QFileInfo(QString::fromLocal8Bit(argv[0])).baseName();
    if (name == QLatin1String("cjpeg") && argc == 4 && std::strcmp(argv[1], "-outfile") == 0)
        return encoder(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (name == QLatin1String("pdfimages") && argc == 3 && std::strcmp(argv[1], "-list") == 0)
        return lister(QString::fromLocal8Bit(argv[2]));
    if (name == QLatin1String("pdfimages") && argc >= 3) {
        QStringList options;
        for (int i = 1; i < argc - 2; ++i)
            options.append(QString::fromLocal8Bit(argv[i]));
        return extractor(options, QString::fromLocal8Bit(argv[argc - 2]), QString::fromLocal8Bit(argv[argc - 1]));
    }
    if (argc >= 3 && std::strcmp(argv[1], "exit") == 0)
        return std::atoi(argv[2]);
    if (argc >= 4 && std::strcmp(argv[1], "sleep") == 0) {
        QThread::msleep(unsigned(std::atoi(argv[2])));
        return std::atoi(argv[3]);
    }
    if (argc >= 4 && std::strcmp(argv[1], "say") == 0) {
        std::fputs(argv[2], stderr);
        return std::atoi(argv[3]);
    }
    if (argc >= 2 && std::strcmp(argv[1], "crash") == 0)
        std::abort();
    return 100;
}
