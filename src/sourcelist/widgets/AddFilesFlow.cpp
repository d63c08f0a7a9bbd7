// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "AddFilesFlow.h"

#include "CommonDialog.h"
#include "SourceListView.h"
#include "sourcelist/OpenDialogSelection.h"

#include <QDir>
#include <QFileInfo>

AddFilesFlow::AddFilesFlow(SourceListView& list, Dialogs& dialogs, const QString& applicationFolder)
    : m_list(list)
    , m_dialogs(dialogs)
    , m_applicationFolder(applicationFolder)
{
}

void AddFilesFlow::run(QWidget* owner)
{
    CommonDialog CommonDialog1(m_dialogs, owner);
    CommonDialog1.FileName = QString();
    CommonDialog1.Flags =
        CommonDialog::kLongNames | CommonDialog::kExplorer | CommonDialog::kAllowMultiselect | CommonDialog::kReadOnly;
    CommonDialog1.DialogTitle = QStringLiteral("Add File(s) - Use Ctrl & Shift to select multiple files");
    CommonDialog1.Filter = QStringLiteral("PDF Files (*.pdf)|*.pdf|");
    CommonDialog1.InitDir = openDialogFolder();
    if (!CommonDialog1.ShowOpen()) {
        m_dialogs.message(
            owner, QStringLiteral("Too many files were chosen at once. Please add them in smaller groups."), QString());
        return;
    }
    const QStringList rows = OpenDialogSelection::rows(CommonDialog1.FileName);
    for (const QString& row : rows)
        m_list.appendRow(row);
    if (!rows.isEmpty())
        m_lastOpenFolder = QFileInfo(rows.constFirst()).absolutePath();
}

QString AddFilesFlow::openDialogFolder() const
{
    // Where files were last picked since the start, else the home folder; the
    // application folder never, where the only PDF is the leftover work copy.
    const QFileInfo last(m_lastOpenFolder);
    if (m_lastOpenFolder.isEmpty() || !last.isDir()
        || last.canonicalFilePath() == QFileInfo(m_applicationFolder).canonicalFilePath())
        return QDir::homePath();
    return m_lastOpenFolder;
}
