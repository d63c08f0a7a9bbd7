// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HeadlessHost.h"
#include "TestFiles.h"
#include "TestPaths.h"
#include "TestPdf.h"
#include "extract/ExtractRun.h"
#include "util/Confinement.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using TestPaths::withSeparator;

// A TCP port on this machine that takes connections without answering, and
// tells afterwards whether anything connected.
class Listener
{
public:
    Listener()
        : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(address);
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), size) == 0 && ::listen(m_fd, 4) == 0
            && ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~Listener() { ::close(m_fd); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    int port() const { return m_port; }
    bool connected() const
    {
        const int connection = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            return false;
        ::close(connection);
        return true;
    }

private:
    int m_fd;
    int m_port = 0;
};

// What the hostile stand-in manages with nothing in its way: everything,
// the last only where this process itself may still gain privileges or
// dump core.
int everything()
{
    rlimit core{};
    ::getrlimit(RLIMIT_CORE, &core);
    const bool open = ::prctl(PR_GET_NO_NEW_PRIVS, 0, 0, 0, 0) == 0 || core.rlim_max != 0;
    return 127 | (open ? 128 : 0);
}

const QString kPlanted = QStringLiteral("/planted-by-extractor");

} // namespace

class TestConfinement : public QObject
{
    Q_OBJECT

    QTemporaryDir m_work;

    // One run of the PDF at pdf into a fresh output folder with the tools of
    // toolFolder, confined as given; returns the output folder's files.
    QHash<QString, QByteArray> extract(HeadlessHost& host, const QString& pdf, const QString& toolFolder,
                                       const Confinement& confinement, const QString& out)
    {
        host.rows = {TestPaths::native(pdf)};
        host.outputFolder = withSeparator(out);
        ExtractRun run(host, ToolLocator(toolFolder, false));
        run.setConfinement(confinement);
        run.ExtractAll();
        return TestFiles::snapshot(out);
    }

    QString realTools(const QString& name, bool copies)
    {
        return TestFiles::toolFolder(m_work.filePath(name),
                                     {{"pdfimages", QStandardPaths::findExecutable(QStringLiteral("pdfimages"))},
                                      {"cjpeg", QStandardPaths::findExecutable(QStringLiteral("cjpeg"))}},
                                     copies);
    }

private Q_SLOTS:
    void initTestCase() { qInfo("offered here: %s", qPrintable(Confinement::describe(Confinement::offered()))); }

    // The stand-in tries everything an extractor taken over by a PDF would.
    void hostileExtractor_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("landlockAtMost");
        QTest::addColumn<bool>("socketFilter");
        QTest::addColumn<int>("worked"); // the attempts that succeed; -1: all
        QTest::newRow("unconfined") << false << INT_MAX << true << -1;
        QTest::newRow("confined") << true << INT_MAX << true << 0;
        QTest::newRow("Landlock ABI 2 and the socket filter, as on Linux 6.1") << true << 2 << true << 0;
        QTest::newRow("Landlock alone") << true << INT_MAX << false << 0;
        // Without Landlock only the files and programs stay open.
        QTest::newRow("socket filter and limits alone") << true << 0 << true << (1 | 2 | 4 | 8 | 32);
    }
    void hostileExtractor()
    {
        QFETCH(bool, on);
        QFETCH(int, landlockAtMost);
        QFETCH(bool, socketFilter);
        QFETCH(int, worked);
        const Confinement::Offer offer = Confinement::offered();
        if (on && landlockAtMost > 0 && offer.landlockAbi < (socketFilter ? 1 : 4))
            QSKIP("the kernel does not offer the Landlock this needs");
        if (on && socketFilter && !offer.socketFilter)
            QSKIP("no socket filter here");
        Confinement confinement = on ? Confinement::full().withLandlockAtMost(landlockAtMost) : Confinement();
        if (!socketFilter)
            confinement = confinement.withoutSocketFilter();
        QTemporaryDir root;
        QDir(root.path()).mkpath(QStringLiteral("home/.ssh"));
        QDir(root.path()).mkpath(QStringLiteral("docs"));
        const QString home = root.filePath(QStringLiteral("home"));
        const QString secret = root.filePath(QStringLiteral("home/.ssh/id_ed25519"));
        QFile key(secret);
        QVERIFY(key.open(QIODevice::WriteOnly) && key.write("secret") == 6);
        key.close();
        const QString pdf = root.filePath(QStringLiteral("docs/report.pdf"));
        QVERIFY(TestPdf::write(pdf, {{TestPdf::Kind::Rgb, 16, 16, 1}}));
        const QString tools =
            TestFiles::toolFolder(root.filePath(QStringLiteral("tools")),
                                  {{"pdfimages", qEnvironmentVariable("ORVALIN_HOSTILE")},
                                   {"cjpeg", QStandardPaths::findExecutable(QStringLiteral("cjpeg"))}},
                                  false);
        Listener listener;
        QVERIFY(listener.port() > 0);
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", home.toLocal8Bit());
        qputenv("ORVALIN_PDF_FOLDER", root.filePath(QStringLiteral("docs")).toLocal8Bit());
        qputenv("ORVALIN_SECRET", secret.toLocal8Bit());
        qputenv("ORVALIN_PORT", QByteArray::number(listener.port()));
        HeadlessHost host;
        const QString out = root.filePath(QStringLiteral("out"));
        extract(host, pdf, tools, confinement, out);
        qputenv("HOME", oldHome);

        const int expected = worked < 0 ? everything() : worked;
        QCOMPARE(host.messages,
                 QStringList{ExtractRun::finalMessage(
                     expected ? QStringList{QStringLiteral("report.pdf: the image extractor failed (exit code %1).")
                                                .arg(expected)}
                              : QStringList{})});
        QCOMPARE(QFileInfo::exists(home + kPlanted), bool(expected & 1));
        QCOMPARE(QFileInfo::exists(root.filePath(QStringLiteral("docs")) + kPlanted), bool(expected & 2));
        QCOMPARE(listener.connected(), bool(expected & 16));
        // What it is allowed to do it does: its image is saved, and beside it
        // only what it planted.
        QCOMPARE(TestFiles::leftovers(out),
                 expected & 4 ? QStringList({"1.jpg", kPlanted.mid(1)}) : QStringList{"1.jpg"});
    }

    // Companion copies of the tools, confined, give the same bytes as the
    // tools on PATH unconfined.
    void sameJpegsConfinedOrNot()
    {
        using TestPdf::Kind;
        const QString pdf = m_work.filePath(QStringLiteral("mixed.pdf"));
        QVERIFY(TestPdf::write(
            pdf, {{Kind::Rgb, 40, 30, 1}, {Kind::Gray, 33, 21, 2}, {Kind::Jpeg, 64, 48, 3}, {Kind::Mono, 203, 97, 4}}));
        QList<QHash<QString, QByteArray>> outputs;
        for (const bool confined : {true, false}) {
            HeadlessHost host;
            const QString out = m_work.filePath(confined ? QStringLiteral("confined") : QStringLiteral("unconfined"));
            outputs.append(extract(host, pdf, realTools(confined ? "companions" : "links", confined),
                                   confined ? Confinement::full() : Confinement(), out));
            QCOMPARE(host.messages, QStringList{QStringLiteral("Done.")});
        }
        QCOMPARE(outputs.constFirst().size(), 4);
        QVERIFY(outputs.constFirst() == outputs.constLast());
    }

    // Confinement that is offered but cannot be applied keeps the PDF from
    // being worked on at all.
    void confinementThatFailsKeepsThePdfFromRunning()
    {
        if (Confinement::offered().landlockAbi < 1)
            QSKIP("no Landlock here");
        const QString pdf = m_work.filePath(QStringLiteral("kept.pdf"));
        QVERIFY(TestPdf::write(pdf, {{TestPdf::Kind::Rgb, 16, 16, 1}}));
        const QString gone = m_work.filePath(QStringLiteral("gone"));
        HeadlessHost host;
        const QString out = m_work.filePath(QStringLiteral("not-run"));
        extract(host, pdf, realTools("tools", false), Confinement::full().reading({gone}), out);
        QCOMPARE(
            host.messages,
            QStringList{ExtractRun::finalMessage(
                {QStringLiteral("kept.pdf: the image extractor could not be confined (%1 cannot be opened: No such "
                                "file or directory), so it was not run.")
                     .arg(gone)})});
        QCOMPARE(TestFiles::leftovers(out), QStringList{});
    }
};

QTEST_MAIN(TestConfinement)
#include "tst_Confinement.moc"
