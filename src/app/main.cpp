// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/AppTitle.h"
#include "app/Form1.h"
#include "util/TerminationSignals.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    nameApplication();
    // A request from the system to end (logout, a closed terminal, Ctrl+C)
    // closes the window, which stops a run and removes what it had begun;
    // the process then ends as the request would have ended it.
    int request = 0;
    Form1Options options;
    options.endProcess = [&request] { TerminationSignals::endProcess(request); };
    Form1 form(options);
    TerminationSignals requests;
    QObject::connect(&requests, &TerminationSignals::received, &form, [&request, &form](int signal) {
        request = signal;
        form.close();
    });
    form.show();
    return QApplication::exec();
}
