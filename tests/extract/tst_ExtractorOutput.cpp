// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "extract/ExtractorOutput.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool write(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

class TestExtractorOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tellsWholeImages_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("whole");
        QTest::newRow("colour") << "a.ppm" << QByteArray("P6\n2 1\n255\n123456") << true;
        QTest::newRow("colour cut short") << "a.ppm" << QByteArray("P6\n2 1\n255\n12345") << false;
        QTest::newRow("16-bit colour") << "a.ppm" << QByteArray("P6\n2 1\n65535\n123456789abc") << true;
        QTest::newRow("16-bit colour cut short") << "a.ppm" << QByteArray("P6\n2 1\n65535\n123456") << false;
        QTest::newRow("black and white") << "a.pbm" << QByteArray("P4\n9 2\nabcd") << true;
        QTest::newRow("JPEG") << "a.jpg" << QByteArray("\xff\xd8\xff\xe0 data \xff\xd9") << true;
        QTest::newRow("JPEG, bytes after its end") << "a.jpg" << QByteArray("\xff\xd8 data \xff\xd9\n\n") << true;
        QTest::newRow("JPEG cut short") << "a.jpg" << QByteArray("\xff\xd8\xff\xe0 da") << false;
        QTest::newRow("no JPEG") << "a.jpg" << QByteArray("P6\n\xff\xd9") << false;
    }
    void tellsWholeImages()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, data);
        QFETCH(bool, whole);
        QTemporaryDir dir;
        QVERIFY(write(dir.filePath(name), data));
        QCOMPARE(ExtractorOutput::isWhole(dir.filePath(name)), whole);
    }

    // A whole image is only handed on once the next one exists, or the
    // extractor has ended: until then it may be the last one, still open.
    void handsOnInOrder()
    {
        QTemporaryDir dir;
        ExtractorOutput output(dir.path() + QLatin1Char('/'));
        QVERIFY(output.isValid());
        const QByteArray image("P6\n1 1\n255\nabc");
        QVERIFY(write(output.prefix() + QStringLiteral("-000.ppm"), image));
        QCOMPARE(output.nextImage(false).kind, ExtractorOutput::Image::NotYet);
        QVERIFY(write(output.prefix() + QStringLiteral("-001.jpg"), "\xff\xd8"));
        const ExtractorOutput::Image first = output.nextImage(false);
        QCOMPARE(first.kind, ExtractorOutput::Image::Finished);
        QCOMPARE(first.number, 0);
        QCOMPARE(first.width, 1);
        QCOMPARE(output.nextImage(false).kind, ExtractorOutput::Image::NotYet);
        const ExtractorOutput::Image second = output.nextImage(true);
        QCOMPARE(second.kind, ExtractorOutput::Image::CutShort);
        QCOMPARE(second.number, 1);
        QCOMPARE(output.nextImage(true).kind, ExtractorOutput::Image::NoMore);
    }
};

QTEST_GUILESS_MAIN(TestExtractorOutput)
#include "tst_ExtractorOutput.moc"
