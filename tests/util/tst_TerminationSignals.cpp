// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExtractProcess.h"
#include "TestFiles.h"
#include "TestPaths.h"
#include "TestPdf.h"
#include "util/TerminationSignals.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <signal.h>

namespace {

// True once the process catches signal, as its status in /proc tells.
bool catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    return false;
}

} // namespace

class TestTerminationSignals : public QObject
{
    Q_OBJECT

    QTemporaryDir m_docs;
    QString m_pdf;

private Q_SLOTS:
    void initTestCase()
    {
        // Black-and-white pages keep a run busy for a while.
        m_pdf = m_docs.filePath(QStringLiteral("pages.pdf"));
        QList<TestPdf::Image> pages;
        for (int i = 0; i < 4; ++i)
            pages.append({TestPdf::Kind::Mono, 2480, 3508, i});
        QVERIFY(TestPdf::write(m_pdf, pages));
    }

    void requestsArriveThroughTheEventLoop()
    {
        TerminationSignals requests;
        QSignalSpy received(&requests, &TerminationSignals::received);
        ::raise(SIGHUP);
        ::raise(SIGTERM);
        QTRY_COMPARE(received.size(), 2);
        QCOMPARE(received.at(0).at(0).toInt(), SIGHUP);
        QCOMPARE(received.at(1).at(0).toInt(), SIGTERM);
    }

    // A request ends the command line's run as closing the window does, and
    // the command line with 130; the window, idle, ends by the request itself.
    void requestsEndTheProgram_data()
    {
        QTest::addColumn<bool>("window");
        QTest::addColumn<int>("signal");
        for (const auto& [name, signal] : {std::pair{"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}, {"SIGINT", SIGINT}}) {
            QTest::addRow("command line, %s", name) << false << signal;
            QTest::addRow("window, %s", name) << true << signal;
        }
    }
    void requestsEndTheProgram()
    {
        QFETCH(bool, window);
        QFETCH(int, signal);
        QTemporaryDir out;
        QVERIFY(TestPaths::touch(out.filePath(QStringLiteral("notes.txt"))));
        std::unique_ptr<ExtractProcess> run;
        QProcess windowProcess;
        QProcess* process = &windowProcess;
        if (window) {
            windowProcess.start(qEnvironmentVariable("ORVALIN_APP"), QStringList());
            QVERIFY(windowProcess.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(catches(windowProcess.processId(), signal), 20000);
        } else {
            run = std::make_unique<ExtractProcess>(out.path(), QStringList{m_pdf});
            process = &run->process();
            QVERIFY(run->waitUntilBusy(out.path(), 1));
        }
        ::kill(pid_t(process->processId()), signal);
        QVERIFY(process->waitForFinished(20000));
        // Ctrl+C ends the command line by the signal itself, so that a shell's
        // loop of runs stops too; the other requests end it with 130.
        const bool bySignal = window || signal == SIGINT;
        QCOMPARE(process->exitStatus(), bySignal ? QProcess::CrashExit : QProcess::NormalExit);
        QCOMPARE(process->exitCode(), bySignal ? signal : 130);
        // Nothing begun stays behind; what was finished and the user's file do.
        QCOMPARE(TestFiles::workFolders(out.path()), QStringList{});
        QCOMPARE(TestFiles::unfinishedJpegs(out.path()), QStringList{});
        QVERIFY(TestFiles::leftovers(out.path()).contains(QStringLiteral("notes.txt")));
    }
};

QTEST_MAIN(TestTerminationSignals)
#include "tst_TerminationSignals.moc"
