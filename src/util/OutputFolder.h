// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// What the text of the output-folder box means. The box keeps the text as the
// user typed it; only the run reads it this way.
namespace OutputFolder {

struct Resolved {
    QString folder;  // the folder, ending with a separator; empty on a problem
    QString problem; // why the text names no folder, in words for the user
};

// White space at the end is dropped (no one types it on purpose, and Windows
// drops it as well); "~" alone or followed by a separator is the home folder;
// doubled separators collapse; a text without a final separator still names
// a folder. Anything else that is not a full path is refused, so that the
// images never land in whatever the process's current folder happens to be.
Resolved resolve(const QString& text);

} // namespace OutputFolder
