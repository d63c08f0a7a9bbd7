// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MessageBox.h"

#include "AppTitle.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMessageBox>

namespace MessageBox {

namespace {

// Keeps the user's input away from the owner window while a box is up, as a
// modal box does. A modal box would also make the window system's close
// request for the owner be dropped, which leaves a window that cannot be
// closed until the box is; this lets that request through.
class OwnerInputBlocker : public QObject
{
public:
    OwnerInputBlocker(QWidget* owner, QWidget* box)
        : m_owner(owner)
        , m_box(box)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != m_owner)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::HoverEnter:
        case QEvent::HoverMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        case QEvent::WindowActivate:
            // The box stays in front of the window it belongs to.
            m_box->raise();
            m_box->activateWindow();
            return false;
        default:
            return false;
        }
    }

private:
    QWidget* m_owner;
    QWidget* m_box;
};

} // namespace

void show(QWidget* owner, const QString& text, const QString& details)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::NoIcon, appTitle(), shown, QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextFormat(Qt::PlainText);
    if (!details.isEmpty())
        box.setDetailedText(details);
    if (!owner) {
        box.exec();
        return;
    }
    box.setWindowModality(Qt::NonModal);
    const OwnerInputBlocker blocker(owner->window(), &box);
    QEventLoop loop;
    QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
    box.show();
    loop.exec();
}

} // namespace MessageBox
