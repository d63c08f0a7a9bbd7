// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "util/Pointer.h"

#include <QPersistentModelIndex>
#include <QTreeWidget>

#include <functional>

class QMimeData;

// The source list: one column of paths, appended at the end, never sorted,
// duplicates allowed; a long path is shortened in its middle, and shows whole
// as its row's tooltip. It takes files dropped from the file manager until the
// first item click, removes the selected row on double-click, and reorders its
// rows by dragging: the moved text is swapped with each row the pointer
// reaches.
class SourceListView : public QTreeWidget
{
    Q_OBJECT

public:
    explicit SourceListView(const QString& applicationFolder, QWidget* parent = nullptr);

    // The one column, "PDF File(s)", 5500 twips wide.
    void setUpColumn();

    void appendRow(const QString& text);
    int rowCount() const;
    // Row `row` counted from 1; empty when there is no such row.
    QString rowText(int row) const;
    QStringList rows() const;
    // The selected row counted from 1, or 0.
    int selectedRow() const;

    // Default: none of its own; Arrow; Custom: the drag picture.
    Pointer MousePointer() const { return m_mousePointer; }
    int OLEDropMode() const { return m_oleDropMode; }
    bool Dragging() const { return m_dragging; }
    // The row whose text is being moved, counted from 1, or 0 for none.
    int dragItemRow() const;

    // Where the pointer is on the screen; tests put it where they need it.
    void setCursorPositionSource(std::function<QPoint()> source);

    // The list's event handlers; the widget's own events call them.
    void ListView1_ItemClick();
    void ListView1_MouseDown();
    void ListView1_MouseMove(const QPoint& position);
    void ListView1_MouseUp();
    void ListView1_DblClick();
    bool ListView1_OLEDragOver(const QMimeData* dragged) const;
    void ListView1_OLEDragDrop(const QMimeData* dragged);

    // The screen rows above and below which a swap scrolls the list by one row.
    static constexpr int kScrollUpBelowY = 305;
    static constexpr int kScrollDownAboveY = 364;

Q_SIGNALS:
    // Sent first whenever the pointer moves over the list.
    void pointerMoved();
    // Dropped paths that are no text were passed over; one problem line each
    // (see PathBytes).
    void passedOver(const QStringList& lines);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void setMousePointer(Pointer pointer);
    QTreeWidgetItem* rowItem(int row) const;

    QString m_applicationFolder;
    std::function<QPoint()> m_cursorPosition;
    QPersistentModelIndex m_dragItem;
    bool m_dragging = false;
    Pointer m_mousePointer = Pointer::Default;
    int m_oleDropMode = 1; // manual: dropped files are taken
};
