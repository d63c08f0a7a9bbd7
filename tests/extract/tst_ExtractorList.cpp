// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "extract/ExtractorList.h"

#include <QTest>

namespace {

const QByteArray kHeading =
    "page   num  type   width height color comp bpc  enc interp  object ID x-ppi y-ppi size ratio\n"
    "--------------------------------------------------------------------------------------"
    "------\n";

} // namespace

class TestExtractorList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Lines as the extractor writes them.
    void readsTheList()
    {
        const std::optional<ExtractorList> list = ExtractorList::parse(
            kHeading
            + "   1     0 image      40    30  rgb     3   8  image  no         3  0    72    72 3064B  85%\n"
              "   1     1 smask      40    30  gray    1   8  image  no         3  0    72    72 1125B  94%\n"
              "   2     2 stencil     1     1  -       1   1  image  no   [inline]   0.720    72    0B   - \n"
              "   3     3 image      64    48  rgb     3   8  jpeg   yes        9  2    72    72 1606B  17%\n"
              "   4     4 mask       50    40  -       1   1  ccitt  no   [none]        72    72   40B  10%\n"
              "  12     5 image      50    40  gray    1   1  jbig2  no     123456  0  300   300 12.3K 4.1%\n");
        QVERIFY(list);
        QCOMPARE(list->size(), 6);
        using Entry = ExtractorList::Entry;
        const auto at = [&](int n) { return *list->entry(n); };
        QCOMPARE(at(0).kind, Entry::Image);
        QCOMPARE(at(1).kind, Entry::SoftMask);
        QCOMPARE(at(1).object, 3);
        QVERIFY(!at(2).hasObject());
        QVERIFY(at(2).blackAndWhite());
        QCOMPARE(at(3).object, 9);
        QCOMPARE(at(3).generation, 2);
        QVERIFY(at(3).jpeg);
        QCOMPARE(at(4).kind, Entry::Mask);
        QVERIFY(at(4).blackAndWhite() && !at(4).hasObject());
        QCOMPARE(at(5).page, 12);
        QCOMPARE(at(5).object, 123456);
        QVERIFY(at(5).blackAndWhite() && !at(0).blackAndWhite());
        QCOMPARE(list->entry(6), nullptr);
        QCOMPARE(ExtractorList::parse(kHeading)->size(), 0);
    }

    // The size column, rounded to the digits it shows, bounds the stream:
    // a JPEG file of 151,894 bytes is listed as "148K".
    void streamSizes_data()
    {
        QTest::addColumn<QByteArray>("size");
        QTest::addColumn<qint64>("most");
        QTest::newRow("bytes") << QByteArray("8232B") << qint64(8232);
        QTest::newRow("one decimal") << QByteArray("12.3K") << qint64(12647);
        QTest::newRow("no decimal") << QByteArray("148K") << qint64(152064);
        QTest::newRow("two decimals") << QByteArray("1.23M") << qint64(1294992);
        QTest::newRow("no size") << QByteArray("-") << qint64(0);
    }
    void streamSizes()
    {
        QFETCH(QByteArray, size);
        QFETCH(qint64, most);
        const std::optional<ExtractorList> list = ExtractorList::parse(
            kHeading + "   1     0 image    1024   768  rgb     3   8  jpeg   no         3  0    72    72 " + size
            + "  6.4%\n");
        QVERIFY(list);
        QCOMPARE(list->entry(0)->mostStreamBytes, most);
    }

    void refusesWhatIsNoList_data()
    {
        QTest::addColumn<QByteArray>("output");
        const QByteArray line =
            "   1     0 image      40    30  rgb     3   8  image  no         3  0    72    72 3064B  85%\n";
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no heading") << line;
        QTest::newRow("numbers not from 0") << kHeading + QByteArray(line).replace("    0 image", "    1 image");
        QTest::newRow("unknown kind") << kHeading + QByteArray(line).replace("image  ", "photo  ");
        QTest::newRow("no width") << kHeading + QByteArray(line).replace("    40", "     0");
        QTest::newRow("cut short") << kHeading + line.left(40);
        QTest::newRow("object without generation") << kHeading + "   1     0 image  4 3 rgb 3 8 image no 3\n";
        QTest::newRow("not a number") << kHeading + QByteArray(line).replace("40", "4x");
        QTest::newRow("too large") << kHeading + QByteArray(line).replace("    40", " 99999999999");
    }
    void refusesWhatIsNoList()
    {
        QFETCH(QByteArray, output);
        QVERIFY(!ExtractorList::parse(output));
    }
};

QTEST_GUILESS_MAIN(TestExtractorList)
#include "tst_ExtractorList.moc"
