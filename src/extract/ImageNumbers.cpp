// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ImageNumbers.h"

#include "StaleWork.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

ImageNumbers::~ImageNumbers()
{
    giveUpPending();
}

QString ImageNumbers::claim(const QString& folder)
{
    qint64& next = m_next[folder];
    if (next < 1)
        next = 1;
    for (; next < std::numeric_limits<int>::max(); ++next) {
        const QString path = folder + QString::number(next) + QStringLiteral(".jpg");
        // Where the file system makes links, the note comes first and the
        // claim is its second name; elsewhere the claim comes first.
        if (!m_notes.isEmpty() && !m_noLinks.contains(folder)) {
            const Platform::LinkResult noted = StaleWork::claimNoted(m_notes, path, &m_why);
            if (noted == Platform::LinkResult::Made) {
                ++next;
                m_pending.insert(path);
                return path;
            }
            if (noted == Platform::LinkResult::Taken)
                continue;
            if (noted == Platform::LinkResult::Failed)
                return QString();
            m_noLinks.insert(folder);
        }
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            ++next;
            m_pending.insert(path);
            if (!m_notes.isEmpty())
                StaleWork::note(m_notes, path);
            return path;
        }
        // Taken (by a file, a folder or even a broken link): try the next.
        // Anything else means nothing can be made in this folder.
        const QFileInfo there(path);
        if (!there.exists() && !there.isSymLink()) {
            m_why = file.errorString();
            return QString();
        }
    }
    return QString();
}

void ImageNumbers::finish(const QString& path, bool made)
{
    if (!m_pending.remove(path))
        return;
    if (!m_notes.isEmpty())
        StaleWork::forget(m_notes, path);
    if (!made)
        QFile::remove(path);
}

void ImageNumbers::giveUpPending()
{
    for (const QString& path : std::as_const(m_pending)) {
        QFile::remove(path);
        if (!m_notes.isEmpty())
            StaleWork::forget(m_notes, path);
    }
    m_pending.clear();
}
