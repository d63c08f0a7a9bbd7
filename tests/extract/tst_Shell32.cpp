// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "extract/Shell32.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestShell32 : public QObject
{
    Q_OBJECT

    QString m_child = qEnvironmentVariable("ORVALIN_CHILD");

private Q_SLOTS:
    void initTestCase() { QVERIFY2(QFile::exists(m_child), qPrintable(m_child)); }

    void windowStyle_data()
    {
        QTest::addColumn<int>("given");
        QTest::addColumn<int>("settled");
        QTest::newRow("-1") << -1 << 6;
        QTest::newRow("0 hidden") << 0 << 0;
        QTest::newRow("2") << 2 << 2;
        QTest::newRow("5 passes") << 5 << 5;
        QTest::newRow("6") << 6 << 6;
        QTest::newRow("7") << 7 << 6;
    }
    void windowStyle()
    {
        QFETCH(int, given);
        QFETCH(int, settled);
        QCOMPARE(int(Shell32::settleWindowStyle(given)), settled);
    }

    // Each style reaches the program as the system's show command; a hidden
    // program gets no console window either.
    void windowStyleReachesTheProgram_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("show");
        QTest::newRow("hidden") << 0 << 0;
        QTest::newRow("normal with focus") << 1 << 1;
        QTest::newRow("minimised with focus") << 2 << 2;
        QTest::newRow("maximised with focus") << 3 << 3;
        QTest::newRow("normal without focus") << 4 << 4;
        QTest::newRow("shown as it is") << 5 << 5;
        QTest::newRow("minimised without focus") << 6 << 7;
    }
    void windowStyleReachesTheProgram()
    {
#ifndef Q_OS_WIN
        QSKIP("programs started here have no window to show");
#endif
        QFETCH(int, style);
        QFETCH(int, show);
        const Shell32::Outcome outcome =
            Shell32::run(m_child, {QStringLiteral("window")}, Shell32::settleWindowStyle(style));
        QCOMPARE(outcome.result, 0);
        const QList<QByteArray> seen = outcome.errorOutput.split(' ');
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen.at(0).toInt(), show);
        if (style == 0)
            QCOMPARE(seen.at(1), QByteArray("0"));
    }

    void returnsTheExitCode_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("0") << 0;
        QTest::newRow("3") << 3;
        // Only a number like any other: it never means "still running".
        QTest::newRow("259 & 255") << (259 & 255);
    }
    void returnsTheExitCode()
    {
        QFETCH(int, code);
        QCOMPARE(
            Shell32::RunAndWait(m_child, {QStringLiteral("exit"), QString::number(code)}, Shell32::WindowStyle::Hidden),
            code);
    }

    void missingProgramFailsAtOnce()
    {
        QTemporaryDir dir;
        const int result = Shell32::RunAndWait(dir.filePath(QStringLiteral("no-such-program")), {});
        QCOMPARE(result, Shell32::startErrorResult(Shell32::StartError::FileNotFound));
        QVERIFY(result < 0);
        QVERIFY(Shell32::RunAndWait(QStringLiteral("orvalin-no-such-program-on-path"), {}) < 0);
        const Shell32::Outcome outcome = Shell32::run(dir.path(), {});
        QVERIFY(!outcome.started);
    }

    void programThatMayNotRunFailsAtOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("not-executable"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nexit 0\n");
        file.close();
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QVERIFY(Shell32::RunAndWait(path, {}) < 0);
    }

    void argumentsArriveUnchanged()
    {
        // No shell and no re-split command line: spaces, quotes and dashes pass whole.
        const QString text = QStringLiteral("-a \"quoted\" 'single' $HOME ; & | spaces  here");
        const Shell32::Outcome outcome = Shell32::run(m_child, {QStringLiteral("say"), text, QStringLiteral("4")});
        QVERIFY(outcome.started);
        QCOMPARE(outcome.result, 4);
        QCOMPARE(QString::fromUtf8(outcome.errorOutput), text);
    }

    void crashIsNotAnExitCode()
    {
        const int result = Shell32::RunAndWait(m_child, {QStringLiteral("crash")});
        QCOMPARE(result, Shell32::startErrorResult(Shell32::StartError::Crashed));
    }

    void eventsAreHandledWhileWaiting()
    {
        // A timer set to fire during the wait fires during the wait.
        int ticks = 0;
        QTimer timer;
        timer.setInterval(20);
        connect(&timer, &QTimer::timeout, this, [&ticks] { ++ticks; });
        timer.start();
        const int result =
            Shell32::RunAndWait(m_child, {QStringLiteral("sleep"), QStringLiteral("400"), QStringLiteral("7")});
        timer.stop();
        QCOMPARE(result, 7);
        QVERIFY2(ticks >= 3, qPrintable(QString::number(ticks)));
    }

    void nestedWaitsEachWaitForTheirOwnProgram()
    {
        int inner = -1;
        QTimer::singleShot(30, this, [&] {
            inner = Shell32::RunAndWait(m_child, {QStringLiteral("exit"), QStringLiteral("9")});
        });
        const int outer =
            Shell32::RunAndWait(m_child, {QStringLiteral("sleep"), QStringLiteral("300"), QStringLiteral("8")});
        QCOMPARE(outer, 8);
        QCOMPARE(inner, 9);
    }

    void stopEndsTheWaitAndItsPrograms()
    {
        Shell32::Stopper stopper;
        int finished = 0;
        const auto sleeper = [this](int) {
            return std::optional<Shell32::Command>(
                {m_child, {QStringLiteral("sleep"), QStringLiteral("600000"), QStringLiteral("0")}});
        };
        QTimer::singleShot(100, this, [&stopper] { stopper.stop(); });
        // Without the stop this would wait ten minutes, past the test's time-out.
        Shell32::runEachAndWait(
            3, 2, sleeper, [&finished](int, const Shell32::Outcome&) { ++finished; }, Shell32::WindowStyle::Hidden,
            &stopper);
        QCOMPARE(finished, 0);
        // A stopped stopper starts nothing more.
        int prepared = 0;
        Shell32::runEachAndWait(
            1, 1,
            [&prepared](int) {
                ++prepared;
                return std::optional<Shell32::Command>();
            },
            [](int, const Shell32::Outcome&) {}, Shell32::WindowStyle::Hidden, &stopper);
        QCOMPARE(prepared, 0);
    }

    void aTalkativeProgramIsHeardOnlySoFar()
    {
        // 100 KiB, said in pieces: a Windows command line holds 32 KiB at most.
        const QString text(1024, QLatin1Char('e'));
        const Shell32::Outcome outcome =
            Shell32::run(m_child, {QStringLiteral("say"), text, QStringLiteral("0"), QStringLiteral("100")});
        QCOMPARE(outcome.errorOutput.size(), Shell32::kErrorOutputLimit);
    }

    void severalAtOnce()
    {
        QList<Shell32::Command> commands;
        for (int i = 0; i < 4; ++i)
            commands.append({m_child, {QStringLiteral("sleep"), QStringLiteral("200"), QString::number(10 + i)}});
        commands.append({QStringLiteral("orvalin-no-such-program"), {}});
        const QList<Shell32::Outcome> outcomes = Shell32::runAllAndWait(commands);
        QCOMPARE(outcomes.size(), 5);
        for (int i = 0; i < 4; ++i) {
            QVERIFY(outcomes.at(i).started);
            QCOMPARE(outcomes.at(i).result, 10 + i);
        }
        QVERIFY(!outcomes.at(4).started);
        QVERIFY(outcomes.at(4).result < 0);
        QVERIFY(Shell32::runAllAndWait({}).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestShell32)
#include "tst_Shell32.moc"
