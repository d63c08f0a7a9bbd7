// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "extract/WorkCopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestWorkCopy : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void twoInstancesNeverShareAWorkCopy()
    {
        QTemporaryDir app;
        WorkCopy first(app.path());
        WorkCopy second(app.path());
        QVERIFY(first.acquire());
        QVERIFY(second.acquire());
        QVERIFY(first.path() != second.path());
        QCOMPARE(QFileInfo(first.path()).fileName(), QStringLiteral("current.pdf"));
        first.release();
        WorkCopy third(app.path());
        QVERIFY(third.acquire());
        QCOMPARE(QFileInfo(third.path()).fileName(), QStringLiteral("current.pdf"));
    }

    void fillCopiesInPiecesAndSparesListedFiles()
    {
        QTemporaryDir app;
        // A listed current.pdf is passed over for the next name.
        QFile listed(app.filePath(QStringLiteral("current.pdf")));
        QVERIFY(listed.open(QIODevice::WriteOnly) && listed.write("user's") == 6);
        listed.close();
        WorkCopy copy(app.path());
        QVERIFY(copy.acquire({QFileInfo(listed).canonicalFilePath()}));
        QCOMPARE(QFileInfo(copy.path()).fileName(), QStringLiteral("current-2.pdf"));
        QVERIFY(copy.isWorkCopyName(listed.fileName()));

        QByteArray data(3 * 1024 * 1024 + 17, Qt::Uninitialized);
        for (qsizetype i = 0; i < data.size(); ++i)
            data[i] = char(i * 7);
        QFile source(app.filePath(QStringLiteral("source.pdf")));
        QVERIFY(source.open(QIODevice::WriteOnly) && source.write(data) == data.size());
        source.close();
        int pieces = 0;
        QVERIFY(copy.fill(source.fileName(), [&pieces] { return ++pieces > 0; }));
        QCOMPARE(pieces, 4);
        QFile filled(copy.path());
        QVERIFY(filled.open(QIODevice::ReadOnly));
        QCOMPARE(filled.readAll(), data);
        filled.close();
        // Stopped part-way, it leaves no work copy.
        QVERIFY(!copy.fill(source.fileName(), [] { return false; }));
        QVERIFY(!QFile::exists(copy.path()));
        QCOMPARE(listed.size(), 6);
    }

    void unwritableApplicationFolderUsesTheCache()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows ignores the read-only attribute of folders; their access lists decide");
#endif
        QTemporaryDir parent;
        const QString app = parent.filePath(QStringLiteral("app"));
        QVERIFY(QDir().mkdir(app));
        QFile::setPermissions(app, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        WorkCopy copy(app);
        QVERIFY(copy.acquire());
        const bool writable = QFileInfo(copy.path()).absolutePath() == QFileInfo(app).absoluteFilePath();
        QFile::setPermissions(app, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY2(!writable, "a read-only folder takes no work copy, whoever runs the program");
        QVERIFY(!copy.path().startsWith(app));
    }

    // An installed program never writes into its own folder, whoever runs
    // it; a build folder or a hand-copied one of the user's still does (and a
    // read-only one sends the work copy to the cache, as above).
    void applicationFolderOrCache_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("inApplicationFolder");
        QTest::newRow("the user's own writable folder") << "own" << true;
        QTest::newRow("a system folder") << "system" << false;
#ifdef Q_OS_WIN
        // Where installations go, for all users or for one.
        QTest::newRow("Program Files") << "ProgramFiles" << false;
        QTest::newRow("the user's program folder") << "LOCALAPPDATA" << false;
#else
        QTest::newRow("another user's folder") << "other" << false;
#endif
    }
    void applicationFolderOrCache()
    {
        QFETCH(QString, kind);
        QFETCH(bool, inApplicationFolder);
        QStandardPaths::setTestModeEnabled(true);
        QTemporaryDir parent;
        QString app = parent.filePath(QStringLiteral("app"));
        QVERIFY(QDir().mkdir(app));
        if (kind == QLatin1String("other")) {
            // Root hands the folder to nobody; anyone else takes the temporary
            // folder, which the superuser owns.
            const uint me = QFileInfo(app).ownerId();
            if (me == 0)
                QCOMPARE(QProcess::execute(QStringLiteral("chown"), {QStringLiteral("65534"), app}), 0);
            else
                app = QDir::tempPath();
            if (QFileInfo(app).ownerId() == me)
                QSKIP("no folder of another user at hand");
        } else if (kind == QLatin1String("system")) {
#ifdef Q_OS_WIN
            app = qEnvironmentVariable("SystemRoot");
#else
            app = QStringLiteral("/usr/bin");
#endif
        } else if (kind != QLatin1String("own")) {
            // A writable folder there, as an installation makes it.
            const QString programs = kind == QLatin1String("LOCALAPPDATA") ? QStringLiteral("/Programs") : QString();
            app = QDir::fromNativeSeparators(qEnvironmentVariable(kind.toLatin1().constData())) + programs
                  + QStringLiteral("/Orvalin-test-%1").arg(QCoreApplication::applicationPid());
            if (!QDir().mkpath(app))
                QSKIP("no folder can be made there without an administrator's rights");
        }
        const auto removeMade = qScopeGuard([&app, &parent] {
            if (!app.startsWith(parent.path()) && QFileInfo(app).fileName().startsWith(QLatin1String("Orvalin-test")))
                QDir(app).removeRecursively();
        });
        const QString folder = WorkCopy(app).folder();
        QCOMPARE(QFileInfo(folder).canonicalFilePath() == QFileInfo(app).canonicalFilePath(), inApplicationFolder);
        QVERIFY(QFileInfo(folder).isDir());
    }
};

QTEST_GUILESS_MAIN(TestWorkCopy)
#include "tst_WorkCopy.moc"
