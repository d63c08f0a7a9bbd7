// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/ExtractCommand.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    // The window's name: both keep their work copies in one cache folder.
    QCoreApplication::setApplicationName(QStringLiteral("Orvalin"));
    ExtractCommand command(QCoreApplication::applicationDirPath(), stdin, stdout, stderr);
    return command.run(QCoreApplication::arguments().mid(1));
}
