// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCheckBox>
#include <QIcon>
#include <QPixmap>

// A check box drawn as a push button: its picture centred in the upper part,
// its caption centred below, drawn pressed while it is checked. Buttons whose
// picture is empty show their caption alone. The picture is 32 by 32
// device-independent pixels, drawn from the version made for the screen's
// density.
class PushCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    PushCheckBox(const QString& caption, const QIcon& picture, QWidget* parent = nullptr);

    // 0 up, 1 pressed.
    int Value() const { return isChecked() ? 1 : 0; }
    void setValue(int value) { setChecked(value == 1); }

    // The picture as drawn on this button's screen; null for none.
    QPixmap Picture() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QIcon m_picture;
};
