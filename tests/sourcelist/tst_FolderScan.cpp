// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestPaths.h"
#include "sourcelist/FolderScan.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

using TestPaths::sep;
using TestPaths::touch;

class TestFolderScan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void breadthFirstByDepth()
    {
        // R with A and B; A holds A1 and A2, B holds B1, A1 holds A11.
        QTemporaryDir dir;
        const QString r = QDir::toNativeSeparators(dir.filePath(QStringLiteral("R")));
        for (const char* sub : {"A/A1/A11", "A/A2", "B/B1"})
            QVERIFY(QDir().mkpath(r + sep() + QString::fromLatin1(sub)));
        for (const char* file :
             {"r.pdf", "A/a.pdf", "B/b.pdf", "A/A1/a1.pdf", "A/A2/a2.pdf", "B/B1/b1.pdf", "A/A1/A11/a11.pdf"})
            QVERIFY(touch(r + sep() + QDir::toNativeSeparators(QString::fromLatin1(file))));

        int yields = 0;
        FolderScan scan([&yields] { ++yields; });
        QStringList folders{r + sep()};
        scan.CollectSubfolders(folders, true);
        const auto f = [&](const char* p) {
            return r + sep() + QDir::toNativeSeparators(QString::fromLatin1(p)) + sep();
        };
        QCOMPARE(folders, (QStringList{r + sep(), f("A"), f("B"), f("A/A1"), f("A/A2"), f("B/B1"), f("A/A1/A11")}));
        QVERIFY(yields > 0);

        FolderScan rows;
        const auto row = [&](const char* p) { return r + sep() + QDir::toNativeSeparators(QString::fromLatin1(p)); };
        QCOMPARE(rows.pdfFilesInTree(r),
                 (QStringList{row("r.pdf"), row("A/a.pdf"), row("B/b.pdf"), row("A/A1/a1.pdf"), row("A/A2/a2.pdf"),
                              row("B/B1/b1.pdf"), row("A/A1/A11/a11.pdf")}));
        // A second scan of the same folder adds its files again.
        QCOMPARE(rows.pdfFilesInTree(r).size(), 7);
    }

    void whatIsLeftOut()
    {
        QTemporaryDir dir;
        const QString r = QDir::toNativeSeparators(dir.path());
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral(".hidden/deeper"))));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("~tilde folder"))));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("folder.pdf"))));
        QVERIFY(touch(dir.filePath(QStringLiteral(".hidden/inside.pdf"))));
        QVERIFY(touch(dir.filePath(QStringLiteral(".hidden/deeper/deep.pdf"))));
        QVERIFY(touch(dir.filePath(QStringLiteral("~$lock.pdf"))));
        QVERIFY(touch(dir.filePath(QStringLiteral(".dotfile.pdf"))));
        QVERIFY(touch(dir.filePath(QStringLiteral("page-10.PDF"))));
        QVERIFY(touch(dir.filePath(QStringLiteral("page-9.pdf"))));
        QVERIFY(touch(dir.filePath(QStringLiteral("notes.txt"))));
        QVERIFY(touch(dir.filePath(QStringLiteral("~tilde folder/kept.pdf"))));
        // A leading dot hides a name here; Windows needs the attribute.
        Platform::hideFile(dir.filePath(QStringLiteral(".hidden")));
        Platform::hideFile(dir.filePath(QStringLiteral(".dotfile.pdf")));

        QStringList expected;
        for (const QString& name : TestPaths::inListingOrder(dir.path(), {".dotfile.pdf", "page-9.pdf", "page-10.PDF"}))
            expected.append(r + sep() + name);
        expected.append(r + sep() + "~tilde folder" + sep() + "kept.pdf");
        FolderScan scan;
        QCOMPARE(scan.pdfFilesInTree(r), expected);
    }

    void linksAreFollowedOnceAndCyclesEnd()
    {
#ifdef Q_OS_WIN
        QSKIP("QFile::link makes shortcut files on Windows, not links to folders");
#endif
        QTemporaryDir dir;
        QTemporaryDir elsewhere;
        const QString r = QDir::toNativeSeparators(dir.path());
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("a/b"))));
        QVERIFY(touch(dir.filePath(QStringLiteral("a/b/in-b.pdf"))));
        QVERIFY(touch(elsewhere.filePath(QStringLiteral("outside.pdf"))));
        // Back up the tree, to the tree's own root, and twice to one folder outside.
        if (!QFile::link(dir.filePath(QStringLiteral("a")), dir.filePath(QStringLiteral("a/b/up"))))
            QSKIP("this file system makes no links");
        QVERIFY(QFile::link(dir.path(), dir.filePath(QStringLiteral("a/root"))));
        QVERIFY(QFile::link(elsewhere.path(), dir.filePath(QStringLiteral("x1"))));
        QVERIFY(QFile::link(elsewhere.path(), dir.filePath(QStringLiteral("x2"))));

        // A cycle the scan missed would go round for ever: the scan is cut off
        // after far more steps than this small tree takes, so the test fails
        // at once instead of at the test runner's time limit.
        int steps = 0;
        FolderScan scan([&steps] {
            if (++steps > 10000)
                throw std::runtime_error("the folder scan goes round a cycle");
        });
        QStringList rows;
        try {
            rows = scan.pdfFilesInTree(r);
        } catch (const std::runtime_error& cycle) {
            QFAIL(cycle.what());
        }
        QCOMPARE(rows, (QStringList{r + sep() + "x1" + sep() + "outside.pdf",
                                    r + sep() + "a" + sep() + "b" + sep() + "in-b.pdf"}));
    }

    void realPathOfAChild_data()
    {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("child");
        QTest::newRow("a folder") << "/home/a"
                                  << "/home/a/b";
        QTest::newRow("the root") << "/"
                                  << "/b";
        QTest::newRow("a drive root") << "C:/"
                                      << "C:/b";
    }
    void realPathOfAChild()
    {
        QFETCH(QString, parent);
        QFETCH(QString, child);
        QCOMPARE(FolderScan::canonicalChild(parent, QStringLiteral("b")), child);
    }

    void unreadableFolderIsPassedOver()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("closed/inner"))));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("open"))));
        QVERIFY(touch(dir.filePath(QStringLiteral("closed/inner/x.pdf"))));
        QVERIFY(touch(dir.filePath(QStringLiteral("open/y.pdf"))));
        const QString closed = dir.filePath(QStringLiteral("closed"));
        QFile::setPermissions(closed, QFileDevice::WriteOwner);
        const bool readable = QDir(closed).isReadable() && !QDir(closed).entryList().isEmpty();
        FolderScan scan;
        const QStringList rows = scan.pdfFilesInTree(QDir::toNativeSeparators(dir.path()));
        QFile::setPermissions(closed, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (readable)
            QSKIP("running with rights that read any folder");
        QCOMPARE(rows, QStringList{QDir::toNativeSeparators(dir.filePath(QStringLiteral("open/y.pdf")))});
    }
};

QTEST_GUILESS_MAIN(TestFolderScan)
#include "tst_FolderScan.moc"
