// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HeadlessHost.h"
#include "TestFiles.h"
#include "TestPaths.h"
#include "TestPdf.h"
#include "confine/Confinement.h"
#include "extract/ExtractRun.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/shm.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// A socket on this machine that takes connections without answering, and
// tells afterwards whether anything connected: TCP on loopback, or a Unix
// socket at a path.
class Listener
{
public:
    explicit Listener(const QString& unixPath = QString())
    {
        if (unixPath.isEmpty()) {
            m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t size = sizeof(address);
            if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), size) == 0 && ::listen(m_fd, 4) == 0
                && ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
                m_port = ntohs(address.sin_port);
            return;
        }
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(unixPath).constData(), sizeof(address.sun_path));
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 && ::listen(m_fd, 4) == 0)
            m_port = 1;
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
    int m_fd = -1;
    int m_port = 0;
};

// The processes now alive that run program.
QList<pid_t> processesOf(const QString& program)
{
    QList<pid_t> found;
    const QString real = QFileInfo(program).canonicalFilePath();
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs))
        if (const pid_t pid = pid_t(entry.toInt());
            pid > 0 && pid != ::getpid() && QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget() == real)
            found.append(pid);
    return found;
}

QByteArray hex(const QByteArray& bytes)
{
    return bytes.toHex();
}

// How a row's run is made.
enum class Via {
    Unconfined, // the control: the extraction run with nothing in the way
    Window,     // the extraction run as the window runs it, confined
    AbiTwo,     // the same with the Landlock of Debian 12's kernel
    CommandLine // orvalin-extract, confined
};

// One attack the stand-in makes, and how a test sees that it took effect.
struct Scene {
    QString secret;    // a file of the user's, mode 600
    QString home;      // the user's home folder
    QString out;       // the output folder
    QString hostile;   // the stand-in
    int reported = -1; // the stand-in's exit code: kWorked when it says it worked
    QString said;      // the problem lines
};

const QByteArray kScript("#!/bin/sh\n");
// What the stand-in exits with when an attack worked.
constexpr int kWorked = 42;

} // namespace

Q_DECLARE_METATYPE(Via)

class TestConfinement : public QObject
{
    Q_OBJECT

    QTemporaryDir m_work;

    QString realTools(const QString& name, bool copies)
    {
        return TestFiles::toolFolder(m_work.filePath(name),
                                     {{"pdfimages", QStandardPaths::findExecutable(QStringLiteral("pdfimages"))},
                                      {"cjpeg", QStandardPaths::findExecutable(QStringLiteral("cjpeg"))}},
                                     copies);
    }

    // One run of pdf into out with the tools of toolFolder, made as via says;
    // the problem lines it gave.
    QString extract(Via via, const QString& pdf, const QString& toolFolder, const QString& out, bool keepJpeg)
    {
        if (via == Via::CommandLine) {
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("PATH"), toolFolder + QLatin1Char(':') + environment.value("PATH"));
            process.setProcessEnvironment(environment);
            process.start(qEnvironmentVariable("ORVALIN_EXTRACT"),
                          QStringList{QStringLiteral("--quiet"), QStringLiteral("-o"), out, pdf}
                              + (keepJpeg ? QStringList{QStringLiteral("--keep-jpeg")} : QStringList{}));
            if (!process.waitForFinished(120000))
                return QStringLiteral("(did not end)");
            return QString::fromLocal8Bit(process.readAllStandardError());
        }
        HeadlessHost host;
        host.rows = {TestPaths::native(pdf)};
        host.outputFolder = TestPaths::withSeparator(out);
        ExtractRun run(host, ToolLocator(toolFolder, false));
        run.setConfinement(via == Via::Unconfined ? Confinement()
                           : via == Via::AbiTwo   ? Confinement::full().withLandlockAtMost(2)
                                                  : Confinement::full());
        run.setChoices({keepJpeg, false, false, false});
        run.ExtractAll();
        return host.messages.join(QLatin1Char('\n'));
    }

private Q_SLOTS:
    void initTestCase()
    {
        qInfo("offered here: %s", qPrintable(Confinement::describe(Confinement::offered())));
        // The filter is part of every build that has libseccomp: where it is
        // built and the system takes filters, a confinement without it is a
        // fault, never a reason to skip.
#ifdef ORVALIN_HAVE_SECCOMP
        if (::prctl(PR_GET_SECCOMP, 0, 0, 0, 0) == 0)
            QVERIFY(Confinement::offered().systemCallFilter);
#endif
    }

    // The stand-in tries what an extractor taken over by a PDF would: each
    // attack once with nothing in its way, the control that shows it can
    // take effect, and once through each way of running confined.
    void hostileExtractor_data()
    {
        QTest::addColumn<QString>("attack");
        QTest::addColumn<QStringList>("orders"); // beyond the attack's name
        QTest::addColumn<bool>("keepJpeg");
        QTest::addColumn<bool>("byConfinement"); // false: the run's own checks hold it off, confined or not

        const QByteArray jpeg = TestPdf::jpegData({TestPdf::Kind::Jpeg, 16, 16, 3});
        const QString listed =
            QStringLiteral("list    1     0 image      16    16  rgb     3   8  jpeg   no         9  0    "
                           "72    72  %1B  14%")
                .arg(jpeg.size());
        const auto file = [](const char* kind, const QByteArray& bytes) {
            return QStringLiteral("file %1 %2").arg(QLatin1String(kind), QString::fromLatin1(hex(bytes)));
        };
        const struct {
            const char* attack;
            QStringList orders;
            bool keepJpeg;
            bool byConfinement;
        } attacks[] = {
            // Permissions, times and attributes of the user's files, by the
            // extraction and by the list, which writes nowhere at all.
            {"chmod", {}, false, true},
            {"chown", {}, false, true},
            {"utime", {}, false, true},
            {"xattr", {}, false, true},
            {"list:chmod", {}, false, true},
            // Files and the network.
            {"read", {}, false, true},
            {"write-home", {}, false, true},
            {"write-input", {}, false, true},
            {"tcp", {}, false, true},
            {"unix-socket", {}, false, true},
            // Descriptors it inherits (closed for every program, confined or
            // not), and the terminal.
            {"descriptor", {}, false, false},
            {"tiocsti", {}, false, true},
            // Outliving the run.
            {"outlive", {}, false, true},
            {"death-signal", {}, false, true},
            // Other processes and what they see.
            {"shared-memory", {}, false, true},
            {"inotify", {}, false, true},
            {"environment", {}, false, true},
            {"memfd", {}, false, true},
            {"capabilities", {}, false, true},
            {"large-file", {}, false, true},
            // The output folder through the run's own doors.
            {"note", {}, false, true},
            {"rewrite", {QStringLiteral("jpeg ") + QString::fromLatin1(hex(jpeg)), listed}, true, false},
            {"second-name", {QStringLiteral("jpeg ") + QString::fromLatin1(hex(jpeg)), listed}, true, false},
            {"image-files", {file("jpg", jpeg)}, false, false},
            {"image-files", {file("jpg", "\xff\xd8<html><script>x</script></html>\xff\xd9"), listed}, true, false},
            // Its files against the run's own readers.
            {"endless-header", {}, false, false},
            {"huge-bilevel", {}, false, false},
        };
        for (const auto& a : attacks)
            QTest::addRow("%s%s", a.attack, a.keepJpeg ? " (keeping JPEG images)" : "")
                << QString::fromLatin1(a.attack) << a.orders << a.keepJpeg << a.byConfinement;
    }
    void hostileExtractor()
    {
        QFETCH(QString, attack);
        QFETCH(QStringList, orders);
        QFETCH(bool, keepJpeg);
        QFETCH(bool, byConfinement);
        if (attack == QLatin1String("chown") || attack == QLatin1String("capabilities")) {
            if (::geteuid() != 0)
                QSKIP("only root has an owner to change and capabilities to hold");
        }
        const QString hostile = qEnvironmentVariable("ORVALIN_HOSTILE");
        const QString cjpeg = QStandardPaths::findExecutable(QStringLiteral("cjpeg"));

        for (const Via via : {Via::Unconfined, Via::Window, Via::AbiTwo, Via::CommandLine}) {
            if (via == Via::AbiTwo && Confinement::offered().landlockAbi < 2)
                continue;
            QTemporaryDir root;
            Scene scene;
            scene.home = root.filePath(QStringLiteral("home"));
            scene.secret = root.filePath(QStringLiteral("home/secret.txt"));
            scene.out = root.filePath(QStringLiteral("out"));
            QVERIFY(QDir().mkpath(scene.home) && QDir().mkpath(root.filePath(QStringLiteral("docs"))));
            QVERIFY(TestFiles::write(scene.secret, "secret"));
            QVERIFY(::chmod(QFile::encodeName(scene.secret).constData(), 0600) == 0);
            const QString tools = TestFiles::toolFolder(root.filePath(QStringLiteral("tools")),
                                                        {{"pdfimages", hostile}, {"cjpeg", cjpeg}}, false);

            // What the attacks reach for.
            Listener tcp;
            Listener unixSocket(root.filePath(QStringLiteral("socket")));
            QVERIFY(tcp.port() > 0 && unixSocket.port() > 0);
            const int inherited = ::open(QFile::encodeName(scene.secret).constData(), O_RDONLY);
            const int shm = ::shmget(IPC_PRIVATE, 4096, IPC_CREAT | 0600);
            QVERIFY(inherited >= 0 && shm >= 0);
            qputenv("ORVALIN_TOKEN", "a token of the user's");

            const bool list = attack.startsWith(QLatin1String("list:"));
            QStringList all = orders;
            all << (list ? QStringLiteral("list-attack ") + attack.mid(5) : QStringLiteral("attack ") + attack)
                << QStringLiteral("secret ") + scene.secret << QStringLiteral("home ") + scene.home
                << QStringLiteral("fd %1").arg(inherited) << QStringLiteral("shm %1").arg(shm)
                << QStringLiteral("port %1").arg(tcp.port())
                << QStringLiteral("socket ") + root.filePath(QStringLiteral("socket"));
            const QString pdf = root.filePath(QStringLiteral("docs/report.pdf"));
            QVERIFY(TestFiles::write(pdf, all.join(QLatin1Char('\n')).toUtf8() + '\n'));

            scene.said = extract(via, pdf, tools, scene.out, keepJpeg);
            // The command line ran the stand-in: it did not stop before.
            QVERIFY2(!scene.said.startsWith(QLatin1String("orvalin-extract:")), qPrintable(scene.said));
            const QRegularExpressionMatch failed =
                QRegularExpression(QStringLiteral("exit code (\\d+)")).match(scene.said);
            scene.reported = failed.hasMatch() ? failed.captured(1).toInt() : 0;

            // What the attack changed, left or reached, looked at from outside.
            struct stat status {
            };
            QVERIFY(::stat(QFile::encodeName(scene.secret).constData(), &status) == 0);
            char attribute[4];
            const QByteArray saved = TestFiles::contents(scene.out + QStringLiteral("/1.jpg"));
            const QList<pid_t> escaped = processesOf(hostile);
            for (const pid_t pid : escaped)
                ::kill(pid, SIGKILL);
            const QHash<QString, bool> effects = {
                {"chmod", (status.st_mode & 07777) != 0600},
                {"list:chmod", (status.st_mode & 07777) != 0600},
                {"chown", status.st_uid == 12345},
                {"utime", status.st_mtim.tv_sec == 978307200},
                {"xattr",
                 ::getxattr(QFile::encodeName(scene.secret).constData(), "user.orvalin", attribute, sizeof(attribute))
                     > 0},
                {"write-home", QFileInfo::exists(scene.home + QStringLiteral("/planted"))},
                {"tcp", tcp.connected()},
                {"unix-socket", unixSocket.connected()},
                {"outlive", !escaped.isEmpty()},
                {"note", saved.startsWith(kScript)},
                {"rewrite", saved.startsWith(kScript)},
                {"second-name", !saved.isEmpty()},
                {"image-files", !saved.isEmpty()},
                {"endless-header", !scene.said.contains(QLatin1String("not a well-formed image"))},
                {"huge-bilevel", !saved.isEmpty()},
            };
            const bool took = effects.contains(attack) ? effects.value(attack) : scene.reported == kWorked;
            ::close(inherited);
            ::shmctl(shm, IPC_RMID, nullptr);
            qunsetenv("ORVALIN_TOKEN");

            const bool expected = byConfinement && via == Via::Unconfined;
            if (took != expected)
                qWarning("%s: %s", via == Via::Unconfined ? "unconfined" : "confined", qPrintable(scene.said));
            QCOMPARE(took, expected);
            // Nothing of the run stays: no work folder, no copy.
            QCOMPARE(TestFiles::workFolders(scene.out), QStringList{});
        }
    }

    // A wrapper script runs confined, and what it starts ends with it, even
    // a process that left its session; unconfined, the control, it lives on.
    // The window answers all the while.
    void aScriptsProcessesEndWithIt_data()
    {
        QTest::addColumn<bool>("confined");
        QTest::newRow("unconfined") << false;
        QTest::newRow("confined") << true;
    }
    void aScriptsProcessesEndWithIt()
    {
        QFETCH(bool, confined);
        if (confined && !Confinement::offered().processTrees)
            QSKIP("this system gives an ordinary user no PID namespace");
        QTemporaryDir root;
        const QString tools = TestFiles::toolFolder(root.filePath(QStringLiteral("tools")),
                                                    {{"cjpeg", QStandardPaths::findExecutable("cjpeg")}}, false);
        const QString wrapper = tools + QStringLiteral("/pdfimages");
        // A number no other process has on its command line.
        const QByteArray seconds = QByteArray::number(60 + ::getpid() % 1000) + ".5";
        QVERIFY(TestFiles::write(wrapper, "#!/bin/sh\nsetsid sleep " + seconds + " &\nsleep 0.3\nexec "
                                              + QFile::encodeName(QStandardPaths::findExecutable("pdfimages"))
                                              + " \"$@\"\n"));
        QVERIFY(QFile::setPermissions(wrapper, QFile::permissions(wrapper) | QFileDevice::ExeOwner));
        const QString pdf = root.filePath(QStringLiteral("one.pdf"));
        QVERIFY(TestPdf::write(pdf, {{TestPdf::Kind::Rgb, 16, 16, 1}}));
        HeadlessHost host;
        host.rows = {pdf};
        host.outputFolder = TestPaths::withSeparator(root.filePath(QStringLiteral("out")));
        ExtractRun run(host, ToolLocator(tools, false));
        run.setConfinement(confined ? Confinement::full() : Confinement());
        int ticks = 0;
        QTimer clock;
        QObject::connect(&clock, &QTimer::timeout, [&ticks] { ++ticks; });
        clock.start(20);
        run.ExtractAll();
        QCOMPARE(host.messages, QStringList{QStringLiteral("Done.")});
        QVERIFY2(ticks > 5, qPrintable(QString::number(ticks)));
        // The process that left may take a moment to become what it runs.
        QList<pid_t> sleeping;
        const bool found = QTest::qWaitFor(
            [&] {
                for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs))
                    if (TestFiles::contents(QStringLiteral("/proc/%1/cmdline").arg(entry))
                        == QByteArray("sleep\0", 6) + seconds + '\0')
                        sleeping.append(pid_t(entry.toInt()));
                return !sleeping.isEmpty();
            },
            1000);
        for (const pid_t pid : sleeping)
            ::kill(pid, SIGKILL);
        QCOMPARE(found, !confined);
        QCOMPARE(sleeping.isEmpty(), confined);
    }

    // Companion copies of the tools, confined, give the same bytes as the
    // tools on PATH unconfined, with the choices off and with every one on.
    void sameJpegsConfinedOrNot_data()
    {
        QTest::addColumn<bool>("everyChoice");
        QTest::newRow("choices off") << false;
        QTest::newRow("every choice on") << true;
    }
    void sameJpegsConfinedOrNot()
    {
        QFETCH(bool, everyChoice);
        using TestPdf::Kind;
        const QString pdf = m_work.filePath(QStringLiteral("mixed.pdf"));
        QVERIFY(TestPdf::write(pdf, {{Kind::Rgb, 40, 30, 1, true},
                                     {Kind::Gray, 33, 21, 2},
                                     {Kind::Jpeg, 64, 48, 3},
                                     {Kind::Mono, 203, 97, 4},
                                     {Kind::Stencil, 4, 4, 5, false, 2}}));
        QList<QHash<QString, QByteArray>> outputs;
        for (const bool confined : {true, false}) {
            HeadlessHost host;
            const QString out = m_work.filePath(QStringLiteral("%1-%2").arg(confined).arg(everyChoice));
            host.rows = {pdf};
            host.outputFolder = TestPaths::withSeparator(out);
            ExtractRun run(host, ToolLocator(realTools(confined ? "companions" : "links", confined), false));
            run.setConfinement(confined ? Confinement::full() : Confinement());
            run.setChoices({everyChoice, everyChoice, everyChoice, everyChoice});
            run.ExtractAll();
            QVERIFY(host.messages.constFirst().startsWith(QLatin1String("Done.")));
            QVERIFY(!host.messages.constFirst().contains(QLatin1String("\n\n")));
            outputs.append(TestFiles::snapshot(out));
        }
        QCOMPARE(outputs.constFirst().size(), everyChoice ? 4 : 7);
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
        host.rows = {pdf};
        host.outputFolder = TestPaths::withSeparator(out);
        ExtractRun run(host, ToolLocator(realTools("tools", false), false));
        run.setConfinement(Confinement::full().reading({gone}));
        run.ExtractAll();
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
