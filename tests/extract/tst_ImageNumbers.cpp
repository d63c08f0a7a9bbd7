// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "extract/ImageNumbers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestImageNumbers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void claimsTheNextFreeNumber_data()
    {
        QTest::addColumn<QStringList>("there"); // a name ending in "/" is a folder
        QTest::addColumn<QStringList>("claimed");
        QTest::newRow("empty folder") << QStringList{} << QStringList{"1.jpg", "2.jpg", "3.jpg"};
        QTest::newRow("gaps in order") << QStringList{"1.jpg", "2.jpg", "4.jpg"}
                                       << QStringList{"3.jpg", "5.jpg", "6.jpg"};
        QTest::newRow("a folder by the name") << QStringList{"1.jpg/"} << QStringList{"2.jpg"};
        QTest::newRow("other kinds take nothing") << QStringList{"1.ppm", "1.pgm", "1.JPG.txt"} << QStringList{"1.jpg"};
    }
    void claimsTheNextFreeNumber()
    {
        QFETCH(QStringList, there);
        QFETCH(QStringList, claimed);
        QTemporaryDir dir;
        for (const QString& name : there) {
            if (name.endsWith(QLatin1Char('/'))) {
                QVERIFY(QDir(dir.path()).mkdir(name.chopped(1)));
            } else {
                QFile file(dir.filePath(name));
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write("user's") == 6);
            }
        }
        const QString folder = dir.path() + QLatin1Char('/');
        ImageNumbers numbers;
        for (const QString& name : claimed) {
            const QString path = numbers.claim(folder);
            QCOMPARE(path, folder + name);
            QVERIFY(QFileInfo(path).isFile());
            numbers.finish(path, true);
        }
        // Nothing that was there has changed.
        for (const QString& name : there)
            if (!name.endsWith(QLatin1Char('/')))
                QCOMPARE(QFileInfo(dir.filePath(name)).size(), 6);
    }

    void claimsEndAsTheRunSays()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        {
            ImageNumbers numbers;
            const QString kept = numbers.claim(folder);
            const QString failed = numbers.claim(folder);
            const QString pending = numbers.claim(folder);
            numbers.finish(kept, true);
            numbers.finish(failed, false);
            QVERIFY(QFileInfo::exists(pending));
            // The search goes on from the last claim: a number freed behind it
            // is not taken again in this run.
            QCOMPARE(numbers.claim(folder), folder + QStringLiteral("4.jpg"));
        }
        // Claims never finished are given up; finished ones stay.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"1.jpg"});
        QCOMPARE(ImageNumbers().claim(dir.filePath(QStringLiteral("missing/"))), QString());
    }

#ifdef Q_OS_UNIX
    // Where claims are noted, the note comes first: a claim whose note
    // cannot be made is no claim, and no file of it is left.
    void aClaimIsNotedBeforeItIsMade()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        ImageNumbers numbers;
        numbers.setNotes(dir.filePath(QStringLiteral("gone")));
        QCOMPARE(numbers.claim(folder), QString());
        QVERIFY(!numbers.why().isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{});
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("gone")));
        const QString claimed = numbers.claim(folder);
        QCOMPARE(claimed, folder + QStringLiteral("1.jpg"));
        QVERIFY(QFileInfo(claimed).isFile());
    }
#endif

    void aFreedLastNumberIsNotTakenAgain()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        ImageNumbers numbers;
        numbers.finish(numbers.claim(folder), true);
        numbers.finish(numbers.claim(folder), false);
        QCOMPARE(numbers.claim(folder), folder + QStringLiteral("3.jpg"));
    }
};

QTEST_GUILESS_MAIN(TestImageNumbers)
#include "tst_ImageNumbers.moc"
