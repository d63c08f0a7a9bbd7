// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FolderScanFlow.h"

#include "SourceListView.h"
#include "sourcelist/FolderScan.h"
#include "util/EventLoopYield.h"
#include "util/PathBytes.h"
#include "util/widgets/Dialogs.h"
#include "util/widgets/FolderPicker.h"

#include <QScopedValueRollback>

FolderScanFlow::FolderScanFlow(SourceListView& list, Dialogs& dialogs, std::function<void(Pointer)> setPointer)
    : m_list(list)
    , m_dialogs(dialogs)
    , m_setPointer(std::move(setPointer))
{
}

void FolderScanFlow::run(QWidget* owner)
{
    // The scan lets the window handle events; a second press meanwhile would
    // start a second scan inside the first.
    if (m_scanning)
        return;
    const QString folder =
        FolderPicker::BrowseForFolder(m_dialogs, owner, QStringLiteral("Please select folder to add:"));
    if (folder.isEmpty())
        return;
    const QScopedValueRollback scanning(m_scanning, true);
    m_setPointer(Pointer::Hourglass);
    FolderScan scan(eventLoopYield());
    for (const QString& row : scan.pdfFilesInTree(folder))
        m_list.appendRow(row);
    m_setPointer(Pointer::Default);
    QStringList passedOver;
    for (const QByteArray& path : scan.pathsThatAreNoText())
        passedOver.append(PathBytes::problemLine(path));
    if (!passedOver.isEmpty())
        m_dialogs.message(owner, passedOver.join(QLatin1Char('\n')), QString());
}
