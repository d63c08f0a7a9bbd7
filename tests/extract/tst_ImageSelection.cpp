// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "extract/ImageSelection.h"

#include <QTest>

class TestImageSelection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Tiny is narrower or lower than eight pixels: eight itself is an image.
    void tinyImages_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("leftOut");
        QTest::newRow("8 by 8") << 8 << 8 << false;
        QTest::newRow("7 wide") << 7 << 100 << true;
        QTest::newRow("7 high") << 100 << 7 << true;
        QTest::newRow("8 wide, 1000 high") << 8 << 1000 << false;
    }
    void tinyImages()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, leftOut);
        ExtractChoices choices;
        choices.noTiny = true;
        ImageSelection selection(choices);
        ExtractorList::Entry entry;
        entry.width = width;
        entry.height = height;
        QCOMPARE(selection.leaveOut(entry, [] { return QByteArray("x"); }).has_value(), leftOut);
    }
};

QTEST_GUILESS_MAIN(TestImageSelection)
#include "tst_ImageSelection.moc"
