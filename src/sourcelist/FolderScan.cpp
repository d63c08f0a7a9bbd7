// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FolderScan.h"

#include "util/AddFolder.h"
#include "util/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

FolderScan::FolderScan(std::function<void()> yield)
    : m_yield(std::move(yield))
{
}

void FolderScan::yield()
{
    if (m_yield)
        m_yield();
}

QString FolderScan::canonical(const QString& folder)
{
    const auto known = m_canonical.constFind(folder);
    return known != m_canonical.cend() ? *known : QFileInfo(folder).canonicalFilePath();
}

QString FolderScan::canonicalChild(const QString& parent, const QString& name)
{
    // Real paths use "/" everywhere; only a root ("/", "C:/") ends with one.
    return parent.endsWith(QLatin1Char('/')) ? parent + name : parent + QLatin1Char('/') + name;
}

void FolderScan::CollectSubfolders(QStringList& list, bool recurse)
{
    QStringList found;
    for (const QString& folder : std::as_const(list)) {
        const QString parent = canonical(folder);
        m_visited.insert(parent);
        // One listing gives the folders and the names that are no text.
        Platform::FolderListing listing = Platform::listFolders(folder);
        yield();
        QStringList& names = listing.folders;
        const QSet<QString>& links = listing.links;
        passOverNoText(folder, listing.noText);
        Platform::orderListing(names);
        for (const QString& name : std::as_const(names)) {
            yield();
            const QString path = folder + name + Platform::separator();
            // Only a link can lead somewhere already found; any other folder's
            // real path follows from its parent's without asking the system.
            const QString canonical = links.contains(name) || parent.isEmpty()
                                          ? QFileInfo(folder + name).canonicalFilePath()
                                          : canonicalChild(parent, name);
            // A link back up the tree, or a second way to a folder already
            // found, would make the scan go round or list files twice.
            if (canonical.isEmpty() || m_visited.contains(canonical))
                continue;
            m_visited.insert(canonical);
            m_canonical.insert(path, canonical);
            found.append(path);
        }
    }

    if (!found.isEmpty() && recurse)
        CollectSubfolders(found, true);

    for (const QString& folder : std::as_const(found)) {
        yield();
        list.append(folder);
    }
}

void FolderScan::passOverNoText(const QString& folder, const QList<Platform::RawName>& noText)
{
    // The folders and PDF files the scan would have taken, were they text.
    for (const Platform::RawName& raw : noText) {
        const QString text = QFile::decodeName(raw.bytes);
        const bool taken = raw.folder ? !text.startsWith(QLatin1Char('.'))
                                      : text.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)
                                            && !text.startsWith(QLatin1Char('~'));
        if (taken)
            m_noText.append(QFile::encodeName(folder) + raw.bytes);
    }
}

QStringList FolderScan::pdfFilesInTree(const QString& folder)
{
    m_visited.clear();
    m_canonical.clear();
    m_noText.clear();
    QStringList folders{folder + Platform::separator()};
    CollectSubfolders(folders, true);

    QStringList rows;
    for (const QString& entry : std::as_const(folders)) {
        const QString f = entry.left(entry.size() - 1);
        for (const QString& name : AddFolder::ListFiles(f, QStringLiteral("*.pdf")))
            if (!name.startsWith(QLatin1Char('~')))
                rows.append(f + Platform::separator() + name);
    }
    return rows;
}
