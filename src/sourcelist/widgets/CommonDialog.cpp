// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CommonDialog.h"

#include "sourcelist/OpenDialogSelection.h"

CommonDialog::CommonDialog(Dialogs& dialogs, QWidget* owner)
    : m_dialogs(dialogs)
    , m_owner(owner)
{
}

bool CommonDialog::ShowOpen()
{
    const QString answer = OpenDialogSelection::compose(m_dialogs.openFiles(m_owner, *this));
    if (answer.size() > MaxFileSize) {
        FileName.clear();
        return false;
    }
    FileName = answer;
    return true;
}
