// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PushCheckBox.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

// Assistive technology hears the box as what it looks like and does: a push
// button, named by its caption, pressed while it is down.
class PushCheckBoxAccessible : public QAccessibleWidget
{
public:
    explicit PushCheckBoxAccessible(PushCheckBox* box)
        : QAccessibleWidget(box, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && box()->accessibleName().isEmpty())
            return QString(box()->text()).remove(QLatin1Char('&'));
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.pressed = box()->isDown() || box()->isChecked();
        return state;
    }

    QStringList actionNames() const override { return QStringList{pressAction()} + QAccessibleWidget::actionNames(); }

    void doAction(const QString& action) override
    {
        if (action == pressAction())
            box()->click();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    PushCheckBox* box() const { return static_cast<PushCheckBox*>(widget()); }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(PushCheckBox::staticMetaObject.className()) && object && object->isWidgetType())
        return new PushCheckBoxAccessible(static_cast<PushCheckBox*>(object));
    return nullptr;
}

} // namespace

PushCheckBox::PushCheckBox(const QString& caption, const QIcon& picture, QWidget* parent)
    : QCheckBox(caption, parent)
    , m_picture(picture)
{
    static const bool accessible = [] {
        QAccessible::installFactory(&accessibleFactory);
        return true;
    }();
    Q_UNUSED(accessible);
    setAutoFillBackground(true);
}

QPixmap PushCheckBox::Picture() const
{
    if (m_picture.isNull())
        return QPixmap();
    return m_picture.pixmap(QSize(32, 32), devicePixelRatioF());
}

bool PushCheckBox::hitButton(const QPoint& pos) const
{
    // The whole face is the button, not only a box and its label.
    return rect().contains(pos);
}

void PushCheckBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.features = QStyleOptionButton::None;
    if (isChecked() || isDown())
        option.state |= QStyle::State_Sunken;
    else
        option.state |= QStyle::State_Raised;
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    const int shift = (option.state & QStyle::State_Sunken) ? 1 : 0;
    QRect textArea = rect().adjusted(3 + shift, 2 + shift, -3 + shift, -2 + shift);
    const QPixmap picture = Picture();
    if (!picture.isNull()) {
        const QSize size = picture.deviceIndependentSize().toSize();
        const QPoint topLeft((width() - size.width()) / 2 + shift, 4 + shift);
        painter.drawPixmap(QRect(topLeft, size), picture);
        textArea.setTop(topLeft.y() + size.height() + 1);
    }
    const int flags = Qt::AlignHCenter | (picture.isNull() ? Qt::AlignVCenter : Qt::AlignTop) | Qt::TextWordWrap
                      | Qt::TextShowMnemonic;
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(textArea, flags, text());

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}
