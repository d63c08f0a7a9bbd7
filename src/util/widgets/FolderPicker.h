// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class Dialogs;
class QWidget;

namespace FolderPicker {

// Shows the modal folder picker with prompt as its title and returns the
// chosen folder's full path (with a final separator only for a root), or the
// empty string when the user cancels. The picker starts in startFolder when
// that is a folder, else in the home folder (never in the process's current
// folder, which is no choice of the user's).
QString BrowseForFolder(Dialogs& dialogs, QWidget* owner, const QString& prompt,
                        const QString& startFolder = QString());

} // namespace FolderPicker
