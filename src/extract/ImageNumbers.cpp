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
        // A number in use is passed over at the cost of a look: a folder of
        // thousands of earlier images makes no note for each of them. One
        // taken meanwhile is found as the claim fails.
        if (const QFileInfo there(path); there.exists() || there.isSymLink())
            continue;
        // Where the file system makes links, the note comes first and the
        // claim is its second name; elsewhere the claim comes first.
        if (!m_notes.isEmpty() && !m_noLinks.contains(folder)) {
            const Platform::LinkResult noted = StaleWork::claimNoted(m_notes, path, &m_why);
            if (noted == Platform::LinkResult::Made) {
                ++next;
                m_pending.insert(path, m_notes);
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
            m_pending.insert(path, m_notes);
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
    const auto it = m_pending.constFind(path);
    if (it == m_pending.cend())
        return;
    if (!it->isEmpty())
        StaleWork::forget(*it, path);
    m_pending.erase(it);
    if (!made)
        QFile::remove(path);
}

void ImageNumbers::giveUpPending()
{
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        QFile::remove(it.key());
        if (!it->isEmpty())
            StaleWork::forget(*it, it.key());
    }
    m_pending.clear();
}
