// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestPaths.h"
#include "sourcelist/OpenDialogSelection.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using TestPaths::fullPath;
using TestPaths::sep;

class TestOpenDialogSelection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openDialogAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("rows");
        const QChar nul(0);
        const QString s = sep();
        const QString docs = fullPath("\\docs");
        const QString root = fullPath("\\");
        QTest::newRow("one file") << docs + s + "a b.pdf" << QStringList{docs + s + "a b.pdf"};
        QTest::newRow("three files") << docs + nul + "c.pdf" + nul + "a.pdf" + nul + "b.pdf"
                                     << QStringList{docs + s + "c.pdf", docs + s + "a.pdf", docs + s + "b.pdf"};
        QTest::newRow("root folder") << root + nul + "a.pdf" + nul + "b.pdf"
                                     << QStringList{root + "a.pdf", root + "b.pdf"};
        // A network path keeps its leading pair on Windows; here it means the root.
#ifdef Q_OS_WIN
        const QString share = s + s + "server" + s + "share";
#else
        const QString share = s + "server" + s + "share";
#endif
        QTest::newRow("doubled at the front") << s + s + "server" + s + "share" + nul + "a.pdf" + nul + "b.pdf"
                                              << QStringList{share + s + "a.pdf", share + s + "b.pdf"};
        QTest::newRow("cancel") << QString() << QStringList{};
    }
    void openDialogAnswers()
    {
        QFETCH(QString, answer);
        QFETCH(QStringList, rows);
        QCOMPARE(OpenDialogSelection::rows(answer), rows);
    }

    void composeAsTheDialogAnswers_data()
    {
        QTest::addColumn<QStringList>("chosen"); // below a temporary folder
        QTest::newRow("one file") << QStringList{"a.pdf"};
        QTest::newRow("one folder") << QStringList{"a.pdf", "b.pdf"};
        QTest::newRow("several folders") << QStringList{"x/a.pdf", "y/z/b.pdf", "c.pdf"};
        QTest::newRow("sibling folders") << QStringList{"x/a.pdf", "y/a.pdf"};
    }
    void composeAsTheDialogAnswers()
    {
        QFETCH(QStringList, chosen);
        QTemporaryDir dir;
        QStringList paths;
        for (const QString& name : chosen)
            paths.append(dir.filePath(name));
        QStringList rows;
        for (const QString& path : paths)
            rows.append(QDir::toNativeSeparators(path));
        QCOMPARE(OpenDialogSelection::rows(OpenDialogSelection::compose(paths)), rows);
        // Files of the root share only the root itself.
        QCOMPARE(
            OpenDialogSelection::rows(OpenDialogSelection::compose({QDir::rootPath() + "a", QDir::rootPath() + "b"})),
            (QStringList{QDir::toNativeSeparators(QDir::rootPath() + "a"),
                         QDir::toNativeSeparators(QDir::rootPath() + "b")}));
    }
};

QTEST_GUILESS_MAIN(TestOpenDialogSelection)
#include "tst_OpenDialogSelection.moc"
