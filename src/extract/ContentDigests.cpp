// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ContentDigests.h"

#include "BackgroundWork.h"
#include "util/Platform.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {

// Read a piece at a time, so that a reading can be stopped.
constexpr qint64 kBlock = 1024 * 1024;

} // namespace

ContentDigests::ContentDigests()
{
    m_pool.setMaxThreadCount(1);
}

ContentDigests::~ContentDigests()
{
    m_stopping = true;
    m_pool.clear();
    m_pool.waitForDone();
}

QByteArray ContentDigests::read(const QString& path, const std::atomic_bool& stop)
{
    QFile file;
    if (!Platform::openPlainFile(file, path))
        return QByteArray();
    // BLAKE2b, strong and five times as fast as Qt's SHA-256. Read, never
    // mapped: a file the extractor still holds may shrink under a mapping,
    // and a page read past its end would end Orvalin.
    QCryptographicHash hash(QCryptographicHash::Blake2b_256);
    const qint64 size = file.size();
    QByteArray block(kBlock, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(block.data(), kBlock);
        if (got < 0 || stop)
            return QByteArray();
        if (got == 0)
            break;
        hash.addData(QByteArrayView(block.constData(), got));
    }
    return QByteArray::number(size) + ' ' + hash.result();
}

void ContentDigests::prefetch(const QString& path)
{
    {
        const QMutexLocker lock(&m_mutex);
        if (m_reading.contains(path) || m_read.contains(path))
            return;
        m_reading.insert(path);
    }
    m_pool.start([this, path] {
        const QByteArray digest = read(path, m_stopping);
        const QMutexLocker lock(&m_mutex);
        m_reading.remove(path);
        m_read.insert(path, digest);
        m_ready.wakeAll();
    });
}

QByteArray ContentDigests::digest(const QStringList& paths, Shell32::Stopper& stopper)
{
    QByteArray together;
    for (const QString& path : paths) {
        QByteArray one;
        bool reading = false;
        {
            const QMutexLocker lock(&m_mutex);
            reading = m_reading.contains(path);
            one = m_read.take(path);
        }
        if (reading) {
            settle(path, stopper);
            const QMutexLocker lock(&m_mutex);
            one = m_read.take(path);
        } else if (one.isNull()) {
            const auto work = [&](const std::atomic_bool& stop) {
                one = read(path, stop);
                return true;
            };
            BackgroundWork::run(QFileInfo(path).size(), work, &stopper);
        }
        if (one.isEmpty())
            return QByteArray();
        together += one + ' ';
    }
    return together;
}

void ContentDigests::settle(const QString& path, Shell32::Stopper& stopper)
{
    {
        const QMutexLocker lock(&m_mutex);
        if (!m_reading.contains(path))
            return;
    }
    // Waited for on a thread of its own, so the window keeps answering.
    BackgroundWork::run(
        [&](const std::atomic_bool& stop) {
            QMutexLocker lock(&m_mutex);
            while (m_reading.contains(path) && !stop)
                m_ready.wait(&m_mutex, 50);
            return true;
        },
        &stopper);
}
