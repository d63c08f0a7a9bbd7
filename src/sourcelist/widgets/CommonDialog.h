// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "util/widgets/Dialogs.h"

class QWidget;

// The open-file dialog, set up and read like a property sheet: FileName,
// Flags, DialogTitle, Filter, then ShowOpen. FileName comes back as one full
// path for one file, or the folder followed by the names, NUL-separated, and
// empty when the user cancelled.
class CommonDialog : public OpenDialogSettings
{
public:
    CommonDialog(Dialogs& dialogs, QWidget* owner = nullptr);

    // Shows the dialog modally. Returns false, with FileName empty, when the
    // answer would not fit in MaxFileSize characters.
    bool ShowOpen();

private:
    Dialogs& m_dialogs;
    QWidget* m_owner;
};
