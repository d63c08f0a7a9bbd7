// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

namespace AddFolder {

// The bare names of the files in folder (with or without its final separator)
// that match the wildcard pattern, letter case ignored, hidden files included,
// folders never, in natural order. A folder that is missing or cannot be
// listed gives the empty list.
QStringList ListFiles(const QString& folder, const QString& pattern);

} // namespace AddFolder
