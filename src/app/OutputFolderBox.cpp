// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "OutputFolderBox.h"

#include <QFocusEvent>
#include <QMouseEvent>

OutputFolderBox::OutputFolderBox(QWidget* parent)
    : QLineEdit(parent)
{
}

void OutputFolderBox::selectWholeText()
{
    setSelection(0, int(text().size()));
}

void OutputFolderBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    Q_EMIT gotFocus();
    // The click that brought the focus would place the caret and undo the
    // selection; it is restored once that click is over.
    m_selectOnRelease = event->reason() == Qt::MouseFocusReason;
}

void OutputFolderBox::mousePressEvent(QMouseEvent* event)
{
    QLineEdit::mousePressEvent(event);
    if (m_selectOnRelease)
        selectWholeText();
}

void OutputFolderBox::mouseReleaseEvent(QMouseEvent* event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (m_selectOnRelease) {
        m_selectOnRelease = false;
        if (!hasSelectedText() || selectedText() != text())
            selectWholeText();
    }
}
