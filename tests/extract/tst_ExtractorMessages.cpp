// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "extract/ExtractorMessages.h"

#include <QTest>

class TestExtractorMessages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Lines the extractor writes: about drawing alone, or about the file and
    // its images.
    void tellsDrawingFromDamage_data()
    {
        QTest::addColumn<QByteArray>("said");
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<bool>("couldNotWrite");
        QTest::newRow("nothing") << QByteArray() << false << false;
        QTest::newRow("drawing") << QByteArray("Syntax Error (10267): No current point in lineto\n"
                                               "Syntax Error (1): No current point in curveto\n"
                                               "Syntax Error (10274): Invalid blend mode in ExtGState\n"
                                               "Syntax Error: ExtGState 'x' is unknown\n"
                                               "Syntax Error (10290): Unknown operator 'put'\n"
                                               "Syntax Error (5): Too few (1) args to 'm' operator\n"
                                               "Syntax Error: Unknown font tag 'F1'\n"
                                               "Config Error: No display font for 'ArialUnicode'\n"
                                               "Syntax Warning: Mismatched EMC operator\n")
                                 << false << false;
        QTest::newRow("unknown image") << QByteArray("Syntax Error: XObject 'Im0' is unknown\n") << true << false;
        QTest::newRow("image drawn wrongly")
            << QByteArray("Syntax Error (7): Arg #0 to 'Do' operator is wrong type (integer)\n") << true << false;
        QTest::newRow("image drawn without a name")
            << QByteArray("Syntax Error (7): Too few (0) args to 'Do' operator\n") << true << false;
        QTest::newRow("failed decoding") << QByteArray(
            "Syntax Error (7412): CCITTFax row is wrong length (65)\n"
            "Syntax Error (7412): Bad two dim code (0000) in CCITTFax stream\n")
                                         << true << false;
        QTest::newRow("missing object") << QByteArray("Syntax Error (4096): Invalid XRef entry 12\n") << true << false;
        QTest::newRow("broken stream") << QByteArray("Syntax Error: Missing 'endstream' or incorrect stream length\n")
                                       << true << false;
        QTest::newRow("drawing, then damage")
            << QByteArray("Syntax Error (1): No current point in lineto\nSyntax Error: Bad image parameters\n") << true
            << false;
        QTest::newRow("could not write") << QByteArray("I/O Error: Couldn't open image file '/x/image-000.ppm'\n")
                                         << false << true;
        QTest::newRow("other words of error") << QByteArray("JPEG Error: unexpected end of data\n") << true << false;
    }
    void tellsDrawingFromDamage()
    {
        QFETCH(QByteArray, said);
        QFETCH(bool, damaged);
        QFETCH(bool, couldNotWrite);
        const ExtractorMessages messages = ExtractorMessages::read(said);
        QCOMPARE(messages.damaged, damaged);
        QCOMPARE(messages.couldNotWrite, couldNotWrite);
    }
};

QTEST_GUILESS_MAIN(TestExtractorMessages)
#include "tst_ExtractorMessages.moc"
