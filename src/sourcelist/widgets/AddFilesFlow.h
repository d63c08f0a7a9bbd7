// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class Dialogs;
class QWidget;
class SourceListView;

// "Add PDF File(s)": the open dialog with multiple selection, then the chosen
// files as rows at the end of the list. The dialog starts where files were
// last picked since the start, else in the home folder.
class AddFilesFlow
{
public:
    AddFilesFlow(SourceListView& list, Dialogs& dialogs, const QString& applicationFolder);

    void run(QWidget* owner);

private:
    // Where the open dialog starts.
    QString openDialogFolder() const;

    SourceListView& m_list;
    Dialogs& m_dialogs;
    QString m_applicationFolder;
    QString m_lastOpenFolder; // where files were last picked since the start
};
