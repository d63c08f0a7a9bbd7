// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "extract/ExtractChoices.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

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
    QString manifest;  // "-": standard output
    int timeLimit = 0; // seconds the programs of one PDF may run; 0: no limit
    static constexpr int kLongestTimeLimit = 1000000;
    bool quiet = false;
    bool confined = true; // false: --no-confinement, the last resort
    QString error;        // a usage error, in one line; empty when there is none

    // The arguments that are no text (see PathBytes): as read, and their bytes.
    QList<std::pair<QString, QByteArray>> noText;
    // The bytes of value (a path taken from the arguments: an input, the
    // output folder, the manifest) when they are no text; else empty.
    QByteArray bytesIfNoText(const QString& value) const;

    // bytes, when given, are the arguments as the system passed them, the
    // same in number as arguments.
    static CommandLine parse(const QStringList& arguments, const QList<QByteArray>& bytes = {});

    static QString usage();
    static QString help();
};
