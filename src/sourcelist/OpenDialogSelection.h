// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

// The open dialog answers with one text: one full path when one file was
// chosen, or the folder followed by the chosen names, NUL-separated.
namespace OpenDialogSelection {

// The rows that such an answer adds, in the dialog's order. For several files
// each row is the folder, a separator and the name, with doubled separators
// collapsed over the whole row (so a root folder gives a single separator).
QStringList rows(const QString& fileName);

// The answer for a set of chosen paths as the dialog gives it. Paths from
// several folders are named below the folder they all share.
QString compose(const QStringList& chosenPaths);

} // namespace OpenDialogSelection
