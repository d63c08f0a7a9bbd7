// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestPaths.h"
#include "sourcelist/OpenDialogSelection.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

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
        QTest::newRow("one file") << s + "docs" + s + "a b.pdf" << QStringList{s + "docs" + s + "a b.pdf"};
        QTest::newRow("three files") << s + "docs" + nul + "c.pdf" + nul + "a.pdf" + nul + "b.pdf"
                                     << QStringList{s + "docs" + s + "c.pdf", s + "docs" + s + "a.pdf",
                                                    s + "docs" + s + "b.pdf"};
        QTest::newRow("root folder") << s + nul + "a.pdf" + nul + "b.pdf" << QStringList{s + "a.pdf", s + "b.pdf"};
        QTest::newRow("doubled at the front")
            << s + s + "server" + s + "share" + nul + "a.pdf" + nul + "b.pdf"
            << QStringList{s + "server" + s + "share" + s + "a.pdf", s + "server" + s + "share" + s + "b.pdf"};
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
