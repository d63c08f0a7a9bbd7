// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SourceListView.h"

#include "util/PathBytes.h"
#include "util/Platform.h"
#include "util/Twips.h"
#include "util/widgets/CursorFile.h"

#include <QCursor>
#include <QDir>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QToolTip>
#include <QUrl>

namespace {
constexpr int kColumnTwips = 5500;

// True when the dragged data is a list of files from the file manager.
bool carriesLocalFiles(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return false;
    for (const QUrl& url : data->urls())
        if (!url.isLocalFile())
            return false;
    return true;
}
} // namespace

SourceListView::SourceListView(const QString& applicationFolder, QWidget* parent)
    : QTreeWidget(parent)
    , m_applicationFolder(applicationFolder)
    , m_cursorPosition([] { return QCursor::pos(); })
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // A path too long for the column keeps its file name in view.
    setTextElideMode(Qt::ElideMiddle);
    setColumnCount(0);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    viewport()->setMouseTracking(true);
    setToolTip(QStringLiteral("Drag and drop files here. Double-click item to remove it. "
                              "Move bar to right and out of window to reveal full names."));
}

void SourceListView::setUpColumn()
{
    setColumnCount(1);
    setHeaderLabels({QStringLiteral("PDF File(s)")});
    setColumnWidth(0, Twips::toPixels(kColumnTwips));
}

void SourceListView::appendRow(const QString& text)
{
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    addTopLevelItem(item);
}

int SourceListView::rowCount() const
{
    return topLevelItemCount();
}

QTreeWidgetItem* SourceListView::rowItem(int row) const
{
    return (row >= 1 && row <= topLevelItemCount()) ? topLevelItem(row - 1) : nullptr;
}

QString SourceListView::rowText(int row) const
{
    const QTreeWidgetItem* item = rowItem(row);
    return item ? item->text(0) : QString();
}

QStringList SourceListView::rows() const
{
    QStringList rows;
    for (int i = 1; i <= rowCount(); ++i)
        rows.append(rowText(i));
    return rows;
}

int SourceListView::selectedRow() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? 0 : indexOfTopLevelItem(selected.constFirst()) + 1;
}

int SourceListView::dragItemRow() const
{
    return m_dragItem.isValid() ? m_dragItem.row() + 1 : 0;
}

void SourceListView::setCursorPositionSource(std::function<QPoint()> source)
{
    m_cursorPosition = std::move(source);
}

void SourceListView::setMousePointer(Pointer pointer)
{
    m_mousePointer = pointer;
    QCursor cursor;
    switch (pointer) {
    case Pointer::Custom:
        // The picture is read anew on every item click; without it the
        // system's own drag pointer stands in.
        if (!CursorFile::load(m_applicationFolder + Platform::separator() + QStringLiteral("drag.ico"), &cursor,
                              viewport()->devicePixelRatioF()))
            cursor = QCursor(Qt::DragMoveCursor);
        viewport()->setCursor(cursor);
        break;
    case Pointer::Arrow:
        viewport()->setCursor(Qt::ArrowCursor);
        break;
    default:
        viewport()->unsetCursor();
        break;
    }
}

void SourceListView::ListView1_ItemClick()
{
    setMousePointer(Pointer::Custom);
    // From the first item click on, the list takes no more dropped files.
    m_oleDropMode = 0;
    const int selected = selectedRow();
    m_dragItem = selected ? QPersistentModelIndex(indexFromItem(topLevelItem(selected - 1))) : QPersistentModelIndex();
}

void SourceListView::ListView1_MouseDown()
{
    m_dragging = true;
}

void SourceListView::ListView1_MouseMove(const QPoint& position)
{
    Q_EMIT pointerMoved();
    if (!m_dragging)
        return;

    // A drag item whose row has been removed since is no row at all.
    QTreeWidgetItem* hoverItem = itemAt(position);
    QTreeWidgetItem* dragItem = m_dragItem.isValid() ? itemFromIndex(m_dragItem) : nullptr;
    if (!hoverItem || !dragItem || dragItem->text(0) == hoverItem->text(0))
        return;

    const QString moved = dragItem->text(0);
    dragItem->setText(0, hoverItem->text(0));
    hoverItem->setText(0, moved);
    setCurrentItem(hoverItem);
    m_dragItem = QPersistentModelIndex(indexFromItem(hoverItem));

    const int k = indexOfTopLevelItem(hoverItem) + 1;
    const int y = m_cursorPosition().y();
    if (y < kScrollUpBelowY) {
        if (k >= 2)
            scrollToItem(rowItem(k - 1), QAbstractItemView::EnsureVisible);
    } else if (y > kScrollDownAboveY) {
        if (k + 1 <= rowCount())
            scrollToItem(rowItem(k + 1), QAbstractItemView::EnsureVisible);
    }
}

void SourceListView::ListView1_MouseUp()
{
    m_dragging = false;
    setMousePointer(Pointer::Arrow);
}

void SourceListView::ListView1_DblClick()
{
    const int selected = selectedRow();
    if (selected == 0)
        return;
    delete takeTopLevelItem(selected - 1);
}

bool SourceListView::ListView1_OLEDragOver(const QMimeData* dragged) const
{
    return m_oleDropMode == 1 && carriesLocalFiles(dragged);
}

void SourceListView::ListView1_OLEDragDrop(const QMimeData* dragged)
{
    if (!ListView1_OLEDragOver(dragged))
        return;
    const QList<QUrl> urls = dragged->urls();
    QStringList lines;
    for (const QUrl& url : urls) {
        // The address holds the name's bytes; one that is no UTF-8 would
        // become another path as text.
        const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (PathBytes::isUtf8(bytes))
            appendRow(QDir::toNativeSeparators(url.toLocalFile()));
        else
            lines.append(PathBytes::problemLine(bytes));
    }
    if (!lines.isEmpty())
        Q_EMIT passedOver(lines);
}

void SourceListView::mousePressEvent(QMouseEvent* event)
{
    QTreeWidget::mousePressEvent(event);
    ListView1_MouseDown();
    if (itemAt(event->position().toPoint()))
        ListView1_ItemClick();
}

void SourceListView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        QTreeWidget::mouseMoveEvent(event);
    ListView1_MouseMove(event->position().toPoint());
}

void SourceListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    ListView1_MouseUp();
}

void SourceListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    ListView1_DblClick();
}

void SourceListView::dragEnterEvent(QDragEnterEvent* event)
{
    // An enter is a move onto the list: the same rule takes or refuses it.
    dragMoveEvent(event);
}

void SourceListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (ListView1_OLEDragOver(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void SourceListView::dropEvent(QDropEvent* event)
{
    if (!ListView1_OLEDragOver(event->mimeData())) {
        event->ignore();
        return;
    }
    ListView1_OLEDragDrop(event->mimeData());
    event->acceptProposedAction();
}

bool SourceListView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        // Over a row its whole path, which the row may show shortened; over
        // the rest of the list the list's own tooltip.
        const auto* help = static_cast<QHelpEvent*>(event);
        const QTreeWidgetItem* item = itemAt(help->pos());
        QToolTip::showText(help->globalPos(), item ? item->text(0) : toolTip(), viewport());
        return true;
    }
    return QTreeWidget::viewportEvent(event);
}
