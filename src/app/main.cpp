// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/AppTitle.h"
#include "app/Form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    nameApplication();
    Form1 form;
    form.show();
    return QApplication::exec();
}
