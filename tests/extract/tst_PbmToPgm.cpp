// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PeakMemory.h"
#include "extract/PbmToPgm.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestPbmToPgm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void malformedBlackAndWhiteFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not a PBM") << QByteArray("P6\n1 1\n255\nabc");
        QTest::newRow("truncated pixels") << QByteArray("P4\n16 2\n\x01\x02\x03");
        QTest::newRow("no size") << QByteArray("P4\n# comment only\n");
        QTest::newRow("absurd size") << QByteArray("P4\n99999999 99999999\n\x00");
    }
    void malformedBlackAndWhiteFiles()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        QFile in(dir.filePath(QStringLiteral("in.pbm")));
        QVERIFY(in.open(QIODevice::WriteOnly));
        in.write(content);
        in.close();
        QVERIFY(!PbmToPgm::convert(in.fileName(), dir.filePath(QStringLiteral("out.pgm"))));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("out.pgm"))));
    }

    // A small file can claim a huge page: the grey file is never larger than
    // the image can be.
    void mostPixels_data()
    {
        QTest::addColumn<qint64>("most");
        QTest::addColumn<bool>("converted");
        QTest::newRow("the image's own size") << qint64(32) << true;
        QTest::newRow("one pixel less") << qint64(31) << false;
    }
    void mostPixels()
    {
        QFETCH(qint64, most);
        QFETCH(bool, converted);
        QTemporaryDir dir;
        QFile in(dir.filePath(QStringLiteral("in.pbm")));
        QVERIFY(in.open(QIODevice::WriteOnly));
        in.write(QByteArray("P4\n16 2\n\x01\x02\x03\x04"));
        in.close();
        const QString out = dir.filePath(QStringLiteral("out.pgm"));
        QString why;
        QCOMPARE(PbmToPgm::convert(in.fileName(), out, {}, &why, most), converted);
        QCOMPARE(QFile::exists(out), converted);
        QCOMPARE(why.isEmpty(), converted);
    }

    void blackAndWhiteConversion()
    {
        QTemporaryDir dir;
        QFile in(dir.filePath(QStringLiteral("in.pbm")));
        QVERIFY(in.open(QIODevice::WriteOnly));
        // 10 x 2 with a comment: row one black then white, row two the reverse.
        in.write(QByteArray("P4\n# made by hand\n10 2\n") + QByteArray("\xf8\x00\x07\xc0", 4));
        in.close();
        QVERIFY(PbmToPgm::convert(in.fileName(), dir.filePath(QStringLiteral("out.pgm"))));
        QFile out(dir.filePath(QStringLiteral("out.pgm")));
        QVERIFY(out.open(QIODevice::ReadOnly));
        const QByteArray black(5, char(0));
        const QByteArray white(5, char(255));
        QCOMPARE(out.readAll(), QByteArray("P5\n10 2\n255\n") + black + white + white + black);
    }

    void largePageGoesThroughInPieces()
    {
        // 16,000 x 16,000 pixels: 32 MB in, 256 MB out, which a conversion in
        // memory would hold at once.
        QTemporaryDir dir;
        const qint64 side = 16000;
        QFile in(dir.filePath(QStringLiteral("page.pbm")));
        QVERIFY(in.open(QIODevice::WriteOnly));
        in.write("P4\n16000 16000\n");
        const QByteArray row(side / 8, char(0xf0));
        for (qint64 y = 0; y < side; ++y)
            in.write(row);
        in.close();
        const long before = peakKilobytes();
        int calls = 0;
        const QString out = dir.filePath(QStringLiteral("page.pgm"));
        QVERIFY(PbmToPgm::convert(in.fileName(), out, [&calls] {
            ++calls;
            return true;
        }));
        QCOMPARE(QFileInfo(out).size(), qint64(QByteArray("P5\n16000 16000\n255\n").size()) + side * side);
        QVERIFY(calls >= 100);
        if (before > 0)
            QVERIFY2(peakKilobytes() - before < 64 * 1024, qPrintable(QString::number(peakKilobytes() - before)));
        // Told to stop, it stops and leaves nothing.
        QVERIFY(QFile::remove(out));
        QVERIFY(!PbmToPgm::convert(in.fileName(), out, [] { return false; }));
        QVERIFY(!QFile::exists(out));
    }
};

QTEST_GUILESS_MAIN(TestPbmToPgm)
#include "tst_PbmToPgm.moc"
