#include "app/Form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvalin"));
    Form1 form;
    form.show();
    return QApplication::exec();
}
