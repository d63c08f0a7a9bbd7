#pragma once

#include <QCheckBox>
#include <QPixmap>

// A check box drawn as a push button: its picture centred in the upper part,
// its caption centred below, drawn pressed while it is checked. Buttons whose
// picture is empty show their caption alone.
class PushCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    PushCheckBox(const QString& caption, const QPixmap& picture, QWidget* parent = nullptr);

    // 0 up, 1 pressed.
    int Value() const { return isChecked() ? 1 : 0; }
    void SetValue(int value) { setChecked(value == 1); }

    const QPixmap& Picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    QPixmap m_picture;
};
