// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TestPaths.h"
#include "sourcelist/widgets/SourceListView.h"

#include <QApplication>
#include <QDir>
#include <QHelpEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QUrl>

namespace {

QMimeData* fileDrag(const QStringList& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data->setUrls(urls);
    return data;
}

// A path far wider than the list's column.
QString longPath()
{
    return QDir::rootPath() + QStringLiteral("a long folder name/").repeated(12) + QStringLiteral("report.pdf");
}

// Sends a drag over and a drop onto the list, as the file manager would.
bool drop(SourceListView& list, QMimeData* data)
{
    const QPoint at = list.viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &drop);
    return drop.isAccepted();
}

} // namespace

class TestSourceListView : public QObject
{
    Q_OBJECT

    std::unique_ptr<SourceListView> m_list;
    QTemporaryDir m_app;

    QPoint rowCentre(int row) const { return m_list->visualItemRect(m_list->topLevelItem(row - 1)).center(); }
    void fill(const QStringList& rows)
    {
        for (const QString& row : rows)
            m_list->appendRow(row);
    }
    void click(int row)
    {
        m_list->setCurrentItem(m_list->topLevelItem(row - 1));
        m_list->ListView1_ItemClick();
    }

private Q_SLOTS:
    void init()
    {
        m_list = std::make_unique<SourceListView>(m_app.path());
        m_list->setUpColumn();
        m_list->resize(449, 105);
        m_list->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_list.get()));
    }
    void cleanup() { m_list.reset(); }

    void column()
    {
        QCOMPARE(m_list->columnCount(), 1);
        QCOMPARE(m_list->headerItem()->text(0), QStringLiteral("PDF File(s)"));
        QCOMPARE(m_list->columnWidth(0), 367);
        QCOMPARE(m_list->rowCount(), 0);
    }

    // Over a row its whole path, which the row shows shortened; elsewhere the gestures.
    void tooltips()
    {
        fill({longPath()});
        for (const auto& [at, shown] : {std::pair{rowCentre(1), longPath()},
                                        {m_list->viewport()->rect().bottomLeft() + QPoint(5, -5), m_list->toolTip()}}) {
            QHelpEvent help(QEvent::ToolTip, at, m_list->viewport()->mapToGlobal(at));
            QApplication::sendEvent(m_list->viewport(), &help);
            QTRY_COMPARE(QToolTip::text(), shown);
        }
    }

    void rowsAreAppendedNeverSortedDuplicatesKept()
    {
        fill({"b.pdf", "a.pdf", "b.pdf"});
        QCOMPARE(m_list->rows(), (QStringList{"b.pdf", "a.pdf", "b.pdf"}));
        QCOMPARE(m_list->rowText(4), QString());
    }

    void dropsOfFilesAndFolders()
    {
        QTemporaryDir dir;
        const QString folder = QDir::toNativeSeparators(dir.path());
        const QStringList dropped{folder + TestPaths::sep() + "z.pdf", folder, folder + TestPaths::sep() + "notes.txt",
                                  folder + TestPaths::sep() + "z.pdf"};
        std::unique_ptr<QMimeData> data(fileDrag(dropped));
        QVERIFY(drop(*m_list, data.get()));
        QCOMPARE(m_list->rows(), dropped);
    }

    void dropsOfOtherThingsAreRefused()
    {
        QMimeData text;
        text.setText(QStringLiteral("/some/path.pdf"));
        QVERIFY(!drop(*m_list, &text));
        QMimeData web;
        web.setUrls({QUrl(QStringLiteral("https://example.org/a.pdf"))});
        QVERIFY(!drop(*m_list, &web));
        QCOMPARE(m_list->rowCount(), 0);
    }

    void noDropsAfterTheFirstItemClick()
    {
        fill({"a.pdf"});
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, rowCentre(1));
        QCOMPARE(m_list->OLEDropMode(), 0);
        std::unique_ptr<QMimeData> data(fileDrag({QStringLiteral("/b.pdf")}));
        QVERIFY(!drop(*m_list, data.get()));
        QCOMPARE(m_list->rows(), QStringList{"a.pdf"});
    }

    void doubleClickRemovesTheSelectedRow()
    {
        m_list->ListView1_DblClick(); // an empty list: nothing happens
        fill({"a", "b", "c"});
        m_list->clearSelection();
        m_list->ListView1_DblClick();
        QCOMPARE(m_list->rowCount(), 3);
        QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {}, rowCentre(2));
        QCOMPARE(m_list->rows(), (QStringList{"a", "c"}));
    }

    void reordering_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("selected");
        QTest::newRow("walk down one row at a time") << QStringList{"T1", "T2", "T3", "T4"} << 1 << QList<int>{2, 3, 4}
                                                     << QStringList{"T2", "T3", "T4", "T1"} << 4;
        QTest::newRow("walk up") << QStringList{"T1", "T2", "T3", "T4"} << 4 << QList<int>{3, 2, 1}
                                 << QStringList{"T4", "T1", "T2", "T3"} << 1;
        QTest::newRow("one jump swaps two rows")
            << QStringList{"T1", "T2", "T3", "T4"} << 1 << QList<int>{4} << QStringList{"T4", "T2", "T3", "T1"} << 4;
        QTest::newRow("equal texts are stepped over")
            << QStringList{"T1", "T1", "T2"} << 1 << QList<int>{2, 3} << QStringList{"T2", "T1", "T1"} << 3;
        QTest::newRow("equal texts alone change nothing")
            << QStringList{"T1", "T1", "T2"} << 1 << QList<int>{2} << QStringList{"T1", "T1", "T2"} << 1;
    }
    void reordering()
    {
        QFETCH(QStringList, rows);
        QFETCH(int, clicked);
        QFETCH(QList<int>, path);
        QFETCH(QStringList, expected);
        QFETCH(int, selected);
        fill(rows);
        // Real mouse events: press on the row, move over the others, release.
        QTest::mousePress(m_list->viewport(), Qt::LeftButton, {}, rowCentre(clicked));
        QCOMPARE(m_list->MousePointer(), Pointer::Custom);
        QVERIFY(m_list->Dragging());
        for (int row : path)
            QTest::mouseMove(m_list->viewport(), rowCentre(row));
        QTest::mouseRelease(m_list->viewport(), Qt::LeftButton, {}, rowCentre(path.constLast()));
        QCOMPARE(m_list->rows(), expected);
        QCOMPARE(m_list->selectedRow(), selected);
        QCOMPARE(m_list->MousePointer(), Pointer::Arrow);
        QVERIFY(!m_list->Dragging());
    }

    void movesWithoutAPressDoNothing()
    {
        fill({"T1", "T2"});
        click(1);
        m_list->ListView1_MouseMove(rowCentre(2));
        QCOMPARE(m_list->rows(), (QStringList{"T1", "T2"}));
        // Over the empty part of the list nothing happens either.
        m_list->ListView1_MouseDown();
        m_list->ListView1_MouseMove(QPoint(5, m_list->viewport()->height() - 2));
        QCOMPARE(m_list->rows(), (QStringList{"T1", "T2"}));
    }

    void removedDragItemTouchesNothing()
    {
        fill({"T1", "T2", "T3"});
        click(2);
        m_list->ListView1_DblClick(); // removes T2, the drag item
        QCOMPARE(m_list->dragItemRow(), 0);
        m_list->ListView1_MouseDown();
        m_list->ListView1_MouseMove(rowCentre(1));
        m_list->ListView1_MouseMove(rowCentre(2));
        QCOMPARE(m_list->rows(), (QStringList{"T1", "T3"}));

        // A drag item below a removed row still means its own text.
        m_list->ListView1_MouseUp();
        fill({"T4"});
        click(3);
        m_list->setCurrentItem(m_list->topLevelItem(0));
        m_list->ListView1_DblClick(); // removes T1
        QCOMPARE(m_list->dragItemRow(), 2);
        m_list->ListView1_MouseDown();
        m_list->ListView1_MouseMove(rowCentre(1));
        QCOMPARE(m_list->rows(), (QStringList{"T4", "T3"}));
    }

    void scrollThresholds_data()
    {
        QTest::addColumn<int>("screenY");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<int>("hover");
        QTest::addColumn<int>("scroll"); // -1 up, 0 none, 1 down
        QTest::newRow("304 at row 10 shows row 9") << 304 << 11 << 10 << -1;
        QTest::newRow("305 scrolls nothing") << 305 << 11 << 10 << 0;
        QTest::newRow("364 scrolls nothing") << 364 << 9 << 10 << 0;
        QTest::newRow("365 at row 10 of 20 shows row 11") << 365 << 9 << 10 << 1;
        QTest::newRow("365 at the last row scrolls nothing") << 365 << 19 << 20 << 0;
        QTest::newRow("304 at the first row scrolls nothing") << 304 << 2 << 1 << 0;
    }
    void scrollThresholds()
    {
        QFETCH(int, screenY);
        QFETCH(int, clicked);
        QFETCH(int, hover);
        QFETCH(int, scroll);
        m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        for (int i = 1; i <= 20; ++i)
            m_list->appendRow(QStringLiteral("T%1").arg(i));
        m_list->setCursorPositionSource([screenY] { return QPoint(100, screenY); });
        // The hovered row sits at the edge the pointer moves towards.
        const bool upwards = clicked > hover;
        m_list->scrollToItem(m_list->topLevelItem(hover - 1),
                             upwards ? QAbstractItemView::PositionAtTop : QAbstractItemView::PositionAtBottom);
        QCoreApplication::processEvents();
        click(clicked);
        const int before = m_list->verticalScrollBar()->value();
        m_list->ListView1_MouseDown();
        m_list->ListView1_MouseMove(rowCentre(hover));
        QCOMPARE(m_list->rowText(hover), QStringLiteral("T%1").arg(clicked));
        const int after = m_list->verticalScrollBar()->value();
        QCOMPARE(after == before ? 0 : (after < before ? -1 : 1), scroll);
    }
};

QTEST_MAIN(TestSourceListView)
#include "tst_SourceListView.moc"
