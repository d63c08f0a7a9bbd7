// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace Main {

// True when something can be found at path; never throws, false for "".
bool FileExists(const QString& path);

// True when a file can be made in folder: asks the file system itself, since
// permission bits alone say nothing of read-only mounts or access lists.
// When it cannot, why (when given) gets the system's word for it.
bool folderIsWritable(const QString& folder, QString* why = nullptr);

// Makes folder when it is missing: why images cannot be written there, in
// words for the user with the system's reason ("is a file", "could not be
// created (Read-only file system)"), or the empty string.
QString prepareFolder(const QString& folder);

// Deletes the file at path; a failure of any kind is ignored.
void DeleteQuietly(const QString& path);

// The start-up chance: n = floor(r * 100) + 1 for a draw 0 <= r < 1; the home
// page is due when n is 7, one start in a hundred.
bool homePageDue(double draw);

// A draw 0 <= r < 1 from a generator seeded with the seconds since midnight.
double drawFromTimer();

} // namespace Main
