// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "util/Main.h"
#include "util/ShortFilename.h"

#include "TestPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestMain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileExistsAndDeleteQuietly()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a file.pdf"));
        QVERIFY(!Main::FileExists(path));
        QVERIFY(!Main::FileExists(QString()));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(Main::FileExists(path));
        Main::DeleteQuietly(path);
        QVERIFY(!Main::FileExists(path));
        // Deleting what is not there, or a folder, changes nothing and says nothing.
        Main::DeleteQuietly(path);
        Main::DeleteQuietly(QString());
        Main::DeleteQuietly(dir.path());
        QVERIFY(QFileInfo(dir.path()).isDir());
    }

    void folderIsWritable()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("plain")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(Main::folderIsWritable(dir.path()));
        QVERIFY(Main::folderIsWritable(TestPaths::withSeparator(dir.path())));
        QVERIFY(!Main::folderIsWritable(dir.filePath(QStringLiteral("missing"))));
        QVERIFY(!Main::folderIsWritable(file.fileName()));
        QVERIFY(!Main::folderIsWritable(QString()));
        // The probe leaves nothing behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("plain")});
    }

    // Names beyond any ANSI code page must come back whole: a short form
    // asked for through one would lose them.
    void shortNameOfExistingAndMissingPaths_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << QStringLiteral("Report 2009");
        QTest::newRow("beyond the ANSI code page") << QStringLiteral("B\u00fccher \u65e5\u672c \u2713 \u0416");
    }
    void shortNameOfExistingAndMissingPaths()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString folder = TestPaths::withSeparator(dir.filePath(name));
        QVERIFY(QDir().mkpath(folder));
        const QString fileName = QStringLiteral("a long file name.pdf");
        QFile file(folder + fileName);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(name.toUtf8()) > 0);
        file.close();
        // The short forms lead to the same folder and file.
        QString shortFolder = ShortFilename::GetShortName(folder);
        if (!shortFolder.endsWith(Platform::separator()))
            shortFolder += Platform::separator();
        QVERIFY2(QFileInfo::exists(shortFolder + fileName), qPrintable(shortFolder));
        QFile shortFile(ShortFilename::GetShortName(file.fileName()));
        QVERIFY2(shortFile.open(QIODevice::ReadOnly), qPrintable(shortFile.fileName()));
        QCOMPARE(shortFile.readAll(), name.toUtf8());
        QCOMPARE(ShortFilename::GetShortName(folder + QStringLiteral("missing")), QString());
        QCOMPARE(ShortFilename::GetShortName(QString()), QString());
    }

    void homePageChance_data()
    {
        QTest::addColumn<double>("draw");
        QTest::addColumn<bool>("due");
        QTest::newRow("0 gives 1") << 0.0 << false;
        QTest::newRow("0.059 gives 6") << 0.059 << false;
        QTest::newRow("0.06 gives 7") << 0.06 << true;
        QTest::newRow("0.0699 gives 7") << 0.0699 << true;
        QTest::newRow("0.07 gives 8") << 0.07 << false;
        QTest::newRow("0.9999 gives 100") << 0.9999 << false;
    }
    void homePageChance()
    {
        QFETCH(double, draw);
        QFETCH(bool, due);
        QCOMPARE(Main::homePageDue(draw), due);
    }

    void drawsStayInRange()
    {
        const double r = Main::drawFromTimer();
        QVERIFY(r >= 0.0 && r < 1.0);
    }
};

QTEST_APPLESS_MAIN(TestMain)
#include "tst_Main.moc"
