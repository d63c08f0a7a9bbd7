// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLineEdit>

// The output-folder box: whenever it receives the focus its whole text is
// selected, so typing replaces it, also when the focus came with a click.
class OutputFolderBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit OutputFolderBox(QWidget* parent = nullptr);

    void selectWholeText();

Q_SIGNALS:
    void gotFocus();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_selectOnRelease = false;
};
