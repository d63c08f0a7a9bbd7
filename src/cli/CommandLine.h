// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "extract/ExtractChoices.h"

#include <QString>
#include <QStringList>

// What orvalin-extract was asked to do, read from its arguments. Paths stay as
// they were given; the program takes relative ones from its current folder.
struct CommandLine {
    enum class Action {
        Extract,
        Help,
        Version,
    };

    Action action = Action::Extract;
    QString outputFolder;
    // PDF files and folders, in order; "-" reads paths from standard input.
    QStringList inputs;
    bool nulSeparated = false; // paths on standard input end with NUL, not a line end
    ExtractChoices choices;
    int jobs = 0; // programs at once; 0: as many as the machine has cores
    static constexpr int kMostJobs = 1024;
    QString manifest; // "-": standard output
    bool quiet = false;
    bool confined = true; // false: --no-confinement, the last resort
    QString error;        // a usage error, in one line; empty when there is none

    static CommandLine parse(const QStringList& arguments);

    static QString usage();
    static QString help();
};
