// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLockFile>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>

// The copy of the current PDF that the extractor reads. It lives in the
// application folder when that folder is writable, otherwise in the per-user
// cache folder. A lock file keeps two running instances from sharing one:
// the second instance takes current-2.pdf, and so on.
class WorkCopy
{
public:
    explicit WorkCopy(const QString& applicationFolder);
    ~WorkCopy();

    // Claims a work copy path for this run; false when none could be had. A
    // name whose file is in `spare` (real paths: PDFs the user listed) is
    // passed over, so a listed current.pdf is never written over.
    bool acquire(const QSet<QString>& spare = {});
    void release();

    // Makes the work copy a copy of source, in pieces with keepGoing called
    // between them, so that a PDF of gigabytes never holds up the window;
    // keepGoing returning false stops the copy. False, leaving no work copy,
    // when source cannot be read, the copy cannot be written whole, or it
    // was stopped.
    bool fill(const QString& source, const std::function<bool()>& keepGoing = {});

    // True when path is a file this would claim as a work copy: a PDF listed
    // from there is read where it is.
    bool isWorkCopyName(const QString& path) const;

    // The claimed path (empty before acquire succeeds).
    const QString& path() const { return m_path; }
    // The folder the work copy goes into: the application folder when it is
    // the user's own, writable and no system folder; else the cache folder.
    QString folder() const;

private:
    QString m_applicationFolder;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
