// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLockFile>
#include <QSet>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// The copy of the current PDF that the extractor reads. The window's lives in
// the application folder when that folder is writable, otherwise in the
// per-user cache folder; the command line's in a hidden work folder of its
// own in the output folder (see placeIn). A lock file keeps two running
// instances from sharing one: the second instance takes current-2.pdf, and
// so on.
class WorkCopy
{
public:
    explicit WorkCopy(const QString& applicationFolder);
    ~WorkCopy();

    // From now on the work copy goes into a hidden work folder made for it in
    // folder (which ends with a separator), so on that folder's file system.
    // The folder is marked as this process's as a run's work folders are, so
    // the next run clears it when this one is killed (see StaleWork), and it
    // goes, with everything in it, when this object does. False, with why()
    // saying why, when it cannot be made.
    bool placeIn(const QString& folder);

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
    // Makes target, which must not exist, a copy of source as fill does:
    // where the file system can share a file's blocks, a clone, which costs
    // next to nothing and still cannot change when source does.
    static bool copy(const QString& source, const QString& target, const std::function<bool()>& keepGoing = {},
                     QString* why = nullptr);
    // The system's word for the last fill or placeIn that failed; empty when
    // it was stopped.
    const QString& why() const { return m_why; }

    // True when path is a file this would claim as a work copy: a PDF listed
    // from there is read where it is.
    bool isWorkCopyName(const QString& path) const;

    // The claimed path (empty before acquire succeeds).
    const QString& path() const { return m_path; }
    // The folder the work copy goes into: the one placeIn made; else the
    // application folder when it is the user's own, writable and no system
    // folder; else the cache folder.
    QString folder() const;

private:
    QString m_applicationFolder;
    std::unique_ptr<QTemporaryDir> m_own; // made by placeIn
    std::unique_ptr<QLockFile> m_owner;   // goes before the folder does
    QString m_why;
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};
