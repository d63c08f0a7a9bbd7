// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "util/Pointer.h"

#include <functional>

class Dialogs;
class QWidget;
class SourceListView;

// "Add All PDF File(s) In Folder": the folder picker, then every PDF file of
// the chosen folder tree as rows at the end of the list, with the hourglass
// while the scan lasts; then a message names what the scan passed over since
// its name is no text.
class FolderScanFlow
{
public:
    FolderScanFlow(SourceListView& list, Dialogs& dialogs, std::function<void(Pointer)> setPointer);

    // A call made while a scan is in progress (from an event the scan lets
    // the window handle) does nothing.
    void run(QWidget* owner);

private:
    SourceListView& m_list;
    Dialogs& m_dialogs;
    std::function<void(Pointer)> m_setPointer;
    bool m_scanning = false;
};
