// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestFiles.h"
#include "TestPdf.h"
#include "extract/ExtractorOutput.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using Kind = ExtractorOutput::Image::Kind;

class TestExtractorOutput : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What the run takes of the extractor's files once it has ended: whole
    // images of the kinds it writes, and nothing else.
    void takesWholeImagesOfItsKinds_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("takesJpeg");
        QTest::addColumn<QString>("name"); // how the file is named besides: "link", "second" or none
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("width");

        const QByteArray jpeg = TestPdf::jpegData({TestPdf::Kind::Jpeg, 24, 16, 1});
        const auto row = [](const char* name, const char* suffix, const QByteArray& data, bool takesJpeg, Kind kind,
                            int width = 0, const char* naming = "") {
            QTest::newRow(name) << QString::fromLatin1(suffix) << data << takesJpeg << QString::fromLatin1(naming)
                                << int(kind) << width;
        };
        row("colour", "ppm", "P6\n2 1\n255\n123456", false, Kind::Finished, 2);
        row("colour cut short", "ppm", "P6\n2 1\n255\n12345", false, Kind::CutShort, 2);
        row("colour too long", "ppm", "P6\n2 1\n255\n1234567", false, Kind::Refused);
        row("16-bit colour", "ppm", "P6\n2 1\n65535\n123456789abc", false, Kind::Finished, 2);
        row("black and white", "pbm", "P4\n9 2\nabcd", false, Kind::Finished, 9);
        row("grey under a colour name", "ppm", "P5\n2 1\n255\nab", false, Kind::Refused);
        row("a comment that runs on", "pgm", "P5\n#" + QByteArray(2000, 'x') + "\n2 1\n255\nab", false, Kind::Refused);
        row("JPEG", "jpg", jpeg, true, Kind::Finished, 24);
        row("JPEG and a line end", "jpg", jpeg + "\r\n", true, Kind::Finished, 24);
        row("JPEG cut short", "jpg", jpeg.chopped(40), true, Kind::CutShort, 24);
        row("JPEG not asked for", "jpg", jpeg, false, Kind::Refused);
        row("JPEG and a page after it", "jpg", jpeg + "<html></html>", true, Kind::Refused);
        row("JPEG marks around a page", "jpg", "\xff\xd8<html></html>\xff\xd9", true, Kind::Refused);
        row("JPEG without a frame", "jpg", QByteArray("\xff\xd8\xff\xd9", 4), true, Kind::Refused);
#ifdef Q_OS_UNIX
        // Windows makes no such links in a folder only its programs write.
        row("a link to a user's image", "ppm", "P6\n2 1\n255\n123456", false, Kind::Refused, 0, "link");
        row("an image with a second name", "jpg", jpeg, true, Kind::Refused, 0, "second");
#endif
    }
    void takesWholeImagesOfItsKinds()
    {
        QFETCH(QString, suffix);
        QFETCH(QByteArray, data);
        QFETCH(bool, takesJpeg);
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(int, width);
        QTemporaryDir dir;
        ExtractorOutput output(dir.path() + QLatin1Char('/'));
        QVERIFY(output.isValid());
        output.setTakesJpeg(takesJpeg);
        const QString image = output.prefix() + QStringLiteral("-000.") + suffix;
        const QString users = dir.filePath(QStringLiteral("users.") + suffix);
        QVERIFY(TestFiles::write(name == QLatin1String("link") ? users : image, data));
        if (name == QLatin1String("link"))
            QVERIFY(QFile::link(users, image));
#ifdef Q_OS_UNIX
        if (name == QLatin1String("second"))
            QVERIFY(::link(QFile::encodeName(image).constData(), QFile::encodeName(image + ".x").constData()) == 0);
#endif
        const ExtractorOutput::Image taken = output.nextImage(true);
        QCOMPARE(int(taken.kind), kind);
        QCOMPARE(taken.width, width);
        QCOMPARE(output.nextImage(true).kind, Kind::NoMore);
    }

    // A whole image is only handed on once the next one exists, or the
    // extractor has ended: until then it may be the last one, still open.
    void handsOnInOrder()
    {
        QTemporaryDir dir;
        ExtractorOutput output(dir.path() + QLatin1Char('/'));
        QVERIFY(output.isValid());
        output.setTakesJpeg(true);
        QVERIFY(TestFiles::write(output.prefix() + QStringLiteral("-000.ppm"), "P6\n1 1\n255\nabc"));
        QCOMPARE(output.nextImage(false).kind, Kind::NotYet);
        QVERIFY(TestFiles::write(output.prefix() + QStringLiteral("-001.jpg"), "\xff\xd8"));
        const ExtractorOutput::Image first = output.nextImage(false);
        QCOMPARE(first.kind, Kind::Finished);
        QCOMPARE(first.number, 0);
        QCOMPARE(first.width, 1);
        QCOMPARE(output.nextImage(false).kind, Kind::NotYet);
        const ExtractorOutput::Image second = output.nextImage(true);
        QCOMPARE(second.kind, Kind::CutShort);
        QCOMPARE(second.number, 1);
        QCOMPARE(output.nextImage(true).kind, Kind::NoMore);
    }
};

QTEST_GUILESS_MAIN(TestExtractorOutput)
#include "tst_ExtractorOutput.moc"
