// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/ExtractCommand.h"
#include "util/Platform.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Before Qt opens anything that could take the place of a closed stream.
    const Platform::ClosedStreams closed = Platform::fillClosedStandardStreams();
    QCoreApplication application(argc, argv);
    // The window's name: both keep their settings under one name.
    QCoreApplication::setApplicationName(QStringLiteral("Orvalin"));
    ExtractCommand command(QCoreApplication::applicationDirPath(), stdin, stdout, stderr);
    command.setStandardOutputClosed(closed.output);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    // The arguments as the system passed them, where they are bytes: a path
    // that is no text must not become another path.
    QList<QByteArray> bytes;
#ifdef Q_OS_UNIX
    for (int i = 1; i < argc && bytes.size() < arguments.size(); ++i)
        bytes.append(QByteArray(argv[i]));
    if (bytes.size() != arguments.size())
        bytes.clear();
#endif
    return command.run(arguments, bytes);
}
