// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FolderPicker.h"

#include "Dialogs.h"

#include <QDir>
#include <QFileInfo>

namespace FolderPicker {

QString BrowseForFolder(Dialogs& dialogs, QWidget* owner, const QString& prompt, const QString& startFolder)
{
    const bool startsThere = !startFolder.isEmpty() && QFileInfo(startFolder).isDir();
    return dialogs.pickFolder(owner, prompt, startsThere ? startFolder : QDir::homePath());
}

} // namespace FolderPicker
