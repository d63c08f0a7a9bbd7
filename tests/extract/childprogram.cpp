// A stand-in program for the runner's tests.
//   childprogram exit N        exits with code N
//   childprogram sleep MS N    sleeps MS milliseconds, then exits with N
//   childprogram say TEXT N    writes TEXT to the error channel, exits with N
//   childprogram crash         ends by abort()
// Named cjpeg and called as "cjpeg -outfile OUT IN", it passes the work on to
// the real encoder, except for an input of ORVALIN_FAIL_BYTES bytes, for which
// it leaves half a file at OUT and fails (for every input with "all").
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char* argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "-outfile") == 0) {
        const QString out = QString::fromLocal8Bit(argv[2]);
        const QString in = QString::fromLocal8Bit(argv[3]);
        const QByteArray fail = qgetenv("ORVALIN_FAIL_BYTES");
        if (fail == "all" || (!fail.isEmpty() && QFileInfo(in).size() == fail.toLongLong())) {
            QFile half(out);
            if (half.open(QIODevice::WriteOnly))
                half.write("\xff\xd8\xff");
            return 1;
        }
        return QProcess::execute(QStandardPaths::findExecutable(QStringLiteral("cjpeg")),
                                 {QStringLiteral("-outfile"), out, in});
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
