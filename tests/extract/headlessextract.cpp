// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

// headlessextract APPLICATION-FOLDER OUTPUT-FOLDER-TEXT PDF...
// One extraction run without a window, as a second instance of the program
// would make it; prints the final message.
#include "HeadlessHost.h"
#include "extract/ExtractRun.h"

#include <QCoreApplication>

#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3)
        return 2;
    HeadlessHost host;
    host.outputFolder = arguments.at(2);
    host.rows = arguments.mid(3);
    ExtractRun run(host, ToolLocator(arguments.at(1)));
    run.ExtractAll();
#ifdef Q_OS_WIN
    // The message as it is: a text-mode stream would write "\r\n" for "\n".
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::fputs(qPrintable(host.messages.join(QLatin1Char('\n'))), stdout);
    return 0;
}
