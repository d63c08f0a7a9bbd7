#include "MessageBox.h"

#include "AppTitle.h"

#include <QMessageBox>

namespace MessageBox {

namespace {
std::function<void(const QString&)>& Recorder()
{
    static std::function<void(const QString&)> recorder;
    return recorder;
}
} // namespace

void Show(QWidget* parent, const QString& text)
{
    if (Recorder()) {
        Recorder()(text);
        return;
    }
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::NoIcon, AppTitle(), shown, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void SetRecorderForTests(std::function<void(const QString&)> recorder)
{
    Recorder() = std::move(recorder);
}

} // namespace MessageBox
