// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "util/AddFolder.h"

#include "TestPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
void touch(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}
} // namespace

class TestAddFolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // In natural order here; on Windows in the order of the system's own
    // directory search.
    void listsMatchingFilesInListingOrder_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("natural numbers") << QStringList{"img-10.ppm", "img-2.ppm", "img-1.ppm", "x-1000.ppm",
                                                        "x-999.ppm"}
                                         << QStringList{} << "*.ppm"
                                         << QStringList{"img-1.ppm", "img-2.ppm", "img-10.ppm", "x-999.ppm",
                                                        "x-1000.ppm"};
        QTest::newRow("letter case ignored in the pattern")
            << QStringList{"a.PDF", "b.pdf", "c.Pdf", "d.txt"} << QStringList{} << "*.pdf"
            << QStringList{"a.PDF", "b.pdf", "c.Pdf"};
        QTest::newRow("hidden files included") << QStringList{".secret.pdf", "open.pdf"} << QStringList{} << "*.pdf"
                                               << QStringList{".secret.pdf", "open.pdf"};
        QTest::newRow("folders never listed")
            << QStringList{"real.pdf"} << QStringList{"folder.pdf"} << "*.pdf" << QStringList{"real.pdf"};
        QTest::newRow("nothing matches") << QStringList{"a.txt"} << QStringList{} << "*.pdf" << QStringList{};
    }
    void listsMatchingFilesInListingOrder()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, folders);
        QFETCH(QString, pattern);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        for (const QString& name : files)
            touch(dir.filePath(name));
        for (const QString& name : folders)
            QVERIFY(QDir(dir.path()).mkdir(name));
        const QString withoutSeparator = QDir::toNativeSeparators(dir.path());
        expected = TestPaths::inListingOrder(dir.path(), expected);
        QCOMPARE(AddFolder::ListFiles(withoutSeparator, pattern), expected);
        QCOMPARE(AddFolder::ListFiles(withoutSeparator + Platform::separator(), pattern), expected);
    }

    void manyFiles()
    {
        // Well past any fixed first allocation, in order.
        QTemporaryDir dir;
        QStringList expected;
        for (int i = 1; i <= 151; ++i) {
            const QString name = QStringLiteral("p-%1.pdf").arg(i);
            touch(dir.filePath(name));
            expected.append(name);
        }
        QCOMPARE(AddFolder::ListFiles(dir.path(), QStringLiteral("*.pdf")),
                 TestPaths::inListingOrder(dir.path(), expected));
    }

    void missingOrUnreadableFolderGivesEmptyList()
    {
        QTemporaryDir dir;
        QVERIFY(AddFolder::ListFiles(dir.filePath(QStringLiteral("missing")), QStringLiteral("*.pdf")).isEmpty());
        const QString locked = dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkdir(locked));
        touch(locked + QStringLiteral("/a.pdf"));
        QFile::setPermissions(locked, QFileDevice::WriteOwner);
        if (QDir(locked).isReadable())
            QSKIP("running with rights that read any folder");
        QVERIFY(AddFolder::ListFiles(locked, QStringLiteral("*.pdf")).isEmpty());
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
};

QTEST_APPLESS_MAIN(TestAddFolder)
#include "tst_AddFolder.moc"
