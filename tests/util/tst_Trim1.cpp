// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestPaths.h"
#include "util/Trim1.h"

#include <QDir>
#include <QTest>

using TestPaths::fullPath;
using TestPaths::nativePath;

class TestTrim1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileNamePart_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("full path") << nativePath("\\docs\\report.pdf") << nativePath("report.pdf");
        QTest::newRow("bare name") << nativePath("report.pdf") << nativePath("report.pdf");
        QTest::newRow("ends with separator") << nativePath("\\docs\\") << QString();
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("spaces and dots") << nativePath("\\a b\\Report 2009.v2.pdf") << nativePath("Report 2009.v2.pdf");
    }
    void fileNamePart()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(Trim1::FileNamePart(path), expected);
    }

    void stripExtension_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("simple") << "report.pdf"
                                << "report";
        QTest::newRow("two dots") << "archive.tar.gz"
                                  << "archive.tar";
        QTest::newRow("only extension") << ".pdf"
                                        << "";
        QTest::newRow("dot in folder, none in name") << nativePath("\\my.docs\\report") << nativePath("\\my");
        QTest::newRow("no dot at all keeps the whole text") << "README"
                                                            << "README";
        QTest::newRow("empty") << ""
                               << "";
    }
    void stripExtension()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(Trim1::StripExtension(text), expected);
    }

    void folderPart_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file in folder") << nativePath("\\docs\\report.pdf") << nativePath("\\docs\\");
        QTest::newRow("root") << nativePath("\\") << nativePath("\\");
        QTest::newRow("bare name") << "report.pdf"
                                   << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void folderPart()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(Trim1::FolderPart(path), expected);
    }

    void collapse_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << fullPath("\\out\\a") << fullPath("\\out\\a");
        QTest::newRow("root picked, name joined") << fullPath("\\\\Report") << fullPath("\\Report");
        QTest::newRow("three become two") << fullPath("\\out\\\\\\a") << fullPath("\\out\\\\a");
        QTest::newRow("four become two") << fullPath("\\\\\\\\") << fullPath("\\\\");
#ifdef Q_OS_WIN
        // A network path begins with its pair; later pairs still collapse.
        QTest::newRow("network path") << nativePath("\\\\server\\share\\\\out") << nativePath("\\\\server\\share\\out");
#else
        QTest::newRow("leading pair") << nativePath("\\\\server\\share\\") << nativePath("\\server\\share\\");
#endif
    }
    void collapse()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(Trim1::collapseDoubledSeparators(path), expected);
    }

    void longStrings()
    {
        // 32,766 characters: the longest path text the program has to handle.
        const QString folder = Platform::separator() + QString(32759, QLatin1Char('a')) + Platform::separator();
        const QString path = folder + QStringLiteral("x.pdf");
        QCOMPARE(path.size(), 32766);
        QCOMPARE(Trim1::FileNamePart(path), QStringLiteral("x.pdf"));
        QCOMPARE(Trim1::FolderPart(path), folder);
        QCOMPARE(Trim1::StripExtension(path), folder + QLatin1Char('x'));
    }
};

QTEST_APPLESS_MAIN(TestTrim1)
#include "tst_Trim1.moc"
