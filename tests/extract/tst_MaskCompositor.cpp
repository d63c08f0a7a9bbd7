// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "extract/MaskCompositor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

ExtractorList::Entry entry(ExtractorList::Entry::Kind kind, QSize size, int components, int bits)
{
    ExtractorList::Entry e;
    e.kind = kind;
    e.width = size.width();
    e.height = size.height();
    e.components = components;
    e.bitsPerComponent = bits;
    return e;
}

QByteArray ppm(QSize size, const QByteArray& samples)
{
    return "P6\n" + QByteArray::number(size.width()) + ' ' + QByteArray::number(size.height()) + "\n255\n" + samples;
}

// A grey soft mask as the extractor writes it: colour with three equal samples.
QByteArray softMask(QSize size, const QList<int>& opacity)
{
    QByteArray samples;
    for (int a : opacity)
        samples += QByteArray(3, char(a));
    return ppm(size, samples);
}

} // namespace

class TestMaskCompositor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void picturesOnWhite_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QSize>("imageSize"); // as listed
        QTest::addColumn<QByteArray>("mask");
        QTest::addColumn<bool>("softMask");
        QTest::addColumn<QSize>("maskSize");
        QTest::addColumn<QByteArray>("picture"); // empty: none is made
        const QByteArray redBlue = ppm({2, 1}, QByteArray("\xff\x00\x00\x00\x00\xff", 6));
        QTest::newRow("soft mask") << redBlue << QSize(2, 1) << softMask({2, 1}, {255, 0}) << true << QSize(2, 1)
                                   << ppm({2, 1}, QByteArray("\xff\x00\x00\xff\xff\xff", 6));
        QTest::newRow("half opaque") << redBlue << QSize(2, 1) << softMask({2, 1}, {128, 128}) << true << QSize(2, 1)
                                     << ppm({2, 1}, QByteArray("\xff\x7f\x7f\x7f\x7f\xff", 6));
        // A set bit is clear, as the PDF holds the mask.
        QTest::newRow("mask") << redBlue << QSize(2, 1) << QByteArray("P4\n2 1\n\x40", 8) << false << QSize(2, 1)
                              << ppm({2, 1}, QByteArray("\xff\x00\x00\xff\xff\xff", 6));
        QTest::newRow("mask of twice the size, averaged")
            << ppm({1, 1}, QByteArray("\xff\x00\x00", 3)) << QSize(1, 1) << softMask({2, 2}, {0, 255, 255, 0}) << true
            << QSize(2, 2) << ppm({1, 1}, QByteArray("\xff\x7f\x7f", 3));
        QTest::newRow("mask of half the size, enlarged")
            << ppm({2, 2}, QByteArray(12, '\x00')) << QSize(2, 2) << softMask({1, 2}, {255, 0}) << true << QSize(1, 2)
            << ppm({2, 2}, QByteArray(6, '\x00') + QByteArray(6, '\xff'));
        QTest::newRow("black-and-white image, grey picture")
            << QByteArray("P4\n2 1\n\x80", 8) << QSize(2, 1) << softMask({2, 1}, {255, 0}) << true << QSize(2, 1)
            << QByteArray("P5\n2 1\n255\n\x00\xff", 13);
        QTest::newRow("image of another size than listed")
            << redBlue << QSize(3, 1) << softMask({2, 1}, {255, 0}) << true << QSize(2, 1) << QByteArray();
        QTest::newRow("image cut short") << redBlue.chopped(1) << QSize(2, 1) << softMask({2, 1}, {255, 0}) << true
                                         << QSize(2, 1) << QByteArray();
        QTest::newRow("image longer than its header")
            << redBlue + "x" << QSize(2, 1) << softMask({2, 1}, {255, 0}) << true << QSize(2, 1) << QByteArray();
        QTest::newRow("mask of another kind")
            << redBlue << QSize(2, 1) << softMask({2, 1}, {255, 0}) << false << QSize(2, 1) << QByteArray();
        QTest::newRow("sixteen-bit samples")
            << QByteArray("P6\n1 1\n65535\n\xff\xff\x00\x00\x00\x00", 19) << QSize(1, 1) << softMask({1, 1}, {255})
            << true << QSize(1, 1) << QByteArray();
    }
    void picturesOnWhite()
    {
        QFETCH(QByteArray, image);
        QFETCH(QSize, imageSize);
        QFETCH(QByteArray, mask);
        QFETCH(bool, softMask);
        QFETCH(QSize, maskSize);
        QFETCH(QByteArray, picture);
        using Entry = ExtractorList::Entry;
        QTemporaryDir dir;
        const bool blackAndWhite = image.startsWith("P4");
        const QString imagePath = dir.filePath(blackAndWhite ? QStringLiteral("i.pbm") : QStringLiteral("i.ppm"));
        const QString maskPath = dir.filePath(softMask ? QStringLiteral("m.ppm") : QStringLiteral("m.pbm"));
        for (const auto& [path, data] : {std::pair{imagePath, image}, std::pair{maskPath, mask}}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
        }
        const QString to = dir.filePath(QStringLiteral("picture") + MaskCompositor::outputSuffix(imagePath));
        QString why;
        const bool made = MaskCompositor::composite(
            imagePath, entry(Entry::Image, imageSize, blackAndWhite ? 1 : 3, blackAndWhite ? 1 : 8), maskPath,
            entry(softMask ? Entry::SoftMask : Entry::Mask, maskSize, 1, softMask ? 8 : 1), to, {}, &why);
        QCOMPARE(made, !picture.isEmpty());
        QFile out(to);
        QCOMPARE(out.open(QIODevice::ReadOnly) ? out.readAll() : QByteArray(), picture);
        QCOMPARE(why.isEmpty(), made);
    }

    // Only regular files are read, and a stopped composite leaves nothing.
    void linksAndStops()
    {
        QTemporaryDir dir;
        const QString imagePath = dir.filePath(QStringLiteral("i.ppm"));
        const QString maskPath = dir.filePath(QStringLiteral("m.ppm"));
        QFile image(imagePath);
        QVERIFY(image.open(QIODevice::WriteOnly) && image.write(ppm({1, 1}, "abc")) > 0);
        image.close();
        QFile mask(maskPath);
        QVERIFY(mask.open(QIODevice::WriteOnly) && mask.write(softMask({1, 1}, {255})) > 0);
        mask.close();
        using Entry = ExtractorList::Entry;
        const Entry imageEntry = entry(Entry::Image, {1, 1}, 3, 8);
        const Entry maskEntry = entry(Entry::SoftMask, {1, 1}, 1, 8);
        const QString to = dir.filePath(QStringLiteral("picture.ppm"));
        QVERIFY(!MaskCompositor::composite(imagePath, imageEntry, maskPath, maskEntry, to, [] { return false; }));
        QVERIFY(!QFile::exists(to));
        const QString link = dir.filePath(QStringLiteral("link.ppm"));
        if (!QFile::link(maskPath, link) || !QFileInfo(link).isSymLink())
            QSKIP("no symbolic links here");
        QVERIFY(!MaskCompositor::composite(imagePath, imageEntry, link, maskEntry, to));
        QVERIFY(!MaskCompositor::composite(imagePath, imageEntry, dir.path(), maskEntry, to));
        QVERIFY(!QFile::exists(to));
        QVERIFY(MaskCompositor::composite(imagePath, imageEntry, maskPath, maskEntry, to));
    }
};

QTEST_GUILESS_MAIN(TestMaskCompositor)
#include "tst_MaskCompositor.moc"
