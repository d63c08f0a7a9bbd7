// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "util/Platform.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

// Gathers a folder tree breadth-first, level by level, and lists its PDF files.
class FolderScan
{
public:
    // yield is called where the scan lets the window handle its events.
    explicit FolderScan(std::function<void()> yield = {});

    // Appends to list every folder below the folders it holds (each entry ends
    // with a separator), depth by depth: first all children of the entries in
    // list order, then all grandchildren grouped by parent in that order, and
    // so on. Hidden folders are passed over; a folder is never visited twice,
    // so a link leading back up the tree ends there; a folder that cannot be
    // read is passed over, and so are folders and PDF files whose names are
    // no text (see PathBytes), which pathsThatAreNoText names. Subfolders
    // come in natural order.
    void CollectSubfolders(QStringList& list, bool recurse);

    // The rows that adding the folder tree at folder gives: for every folder
    // of the tree, in the order above, its PDF files in natural order, each as
    // the folder, one separator and the name. Names that begin with "~" are
    // left out, and so are those whose names are no text.
    QStringList pdfFilesInTree(const QString& folder);

    // The folders and PDF files the scans passed over since their names are
    // no text, as the bytes of their full paths, in the order met; a new
    // pdfFilesInTree starts the list afresh.
    const QList<QByteArray>& pathsThatAreNoText() const { return m_noText; }

    // The real path of the folder name inside the folder whose real path is
    // parent, as the system would give it.
    static QString canonicalChild(const QString& parent, const QString& name);

private:
    void yield();
    // The real path of a folder of the list, without asking the system when
    // the scan already knows it.
    QString canonical(const QString& folder);
    // Keeps the folders and PDF files of noText, the names in folder (ending
    // with a separator) that are no text, in m_noText.
    void passOverNoText(const QString& folder, const QList<Platform::RawName>& noText);

    std::function<void()> m_yield;
    QSet<QString> m_visited;             // real paths of the folders already found
    QHash<QString, QString> m_canonical; // folder as listed -> its real path
    QList<QByteArray> m_noText;
};
