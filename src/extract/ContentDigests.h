// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Shell32.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <QWaitCondition>

#include <atomic>

// Digests of the extractor's files, for telling an image the same as one
// saved before: BLAKE2b-256. Every file that may be saved is read
// whole, so files finished ahead of their turn are read on a thread of their
// own while the encoders work, and their digests are ready when the images
// are decided.
class ContentDigests
{
public:
    ContentDigests();
    // Waits for the file being read, if any.
    ~ContentDigests();
    ContentDigests(const ContentDigests&) = delete;
    ContentDigests& operator=(const ContentDigests&) = delete;

    // Starts reading the regular file at path, when it is not read yet.
    void prefetch(const QString& path);
    // The digest of the files together, led by their sizes, so that files of
    // other sizes never match; waits for a file being read, and reads one
    // not yet read. Empty when a file cannot be read (or stopper was stopped).
    QByteArray digest(const QStringList& paths, Shell32::Stopper& stopper);
    // Returns once the file at path is not being read: on some systems a
    // file open for reading can be neither moved nor removed.
    void settle(const QString& path, Shell32::Stopper& stopper);

private:
    // The size and hash of one file, or empty; stop ends the reading.
    static QByteArray read(const QString& path, const std::atomic_bool& stop);

    std::atomic_bool m_stopping{false};
    QThreadPool m_pool;
    QMutex m_mutex;
    QWaitCondition m_ready;
    QSet<QString> m_reading;           // queued or being read
    QHash<QString, QByteArray> m_read; // read, not yet asked for
};
