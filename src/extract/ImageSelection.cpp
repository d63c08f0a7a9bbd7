// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ImageSelection.h"

namespace {

bool agrees(const ExtractorList::Entry& entry, const QString& path, int width, int height)
{
    // A JPEG file's size is its frame's, where that was read.
    if (path.endsWith(QLatin1String(".jpg")))
        return entry.jpeg && (width <= 0 || (entry.width == width && entry.height == height));
    const bool blackAndWhite = path.endsWith(QLatin1String(".pbm"));
    return entry.blackAndWhite() == blackAndWhite && entry.width == width && entry.height == height;
}

} // namespace

ImageSelection::ImageSelection(const ExtractChoices& choices, QSet<QByteArray>* savedContents)
    : m_choices(choices)
    , m_contents(savedContents)
{
}

const ExtractorList::Entry* ImageSelection::entryFor(const QString& path, int width, int height)
{
    if (!trusted())
        return nullptr;
    for (qsizetype n = m_nextEntry; n < m_list->size(); ++n) {
        const ExtractorList::Entry* entry = m_list->entry(n);
        if (agrees(*entry, path, width, height)) {
            m_passedOver += n - m_nextEntry;
            m_nextEntry = n + 1;
            return entry;
        }
    }
    m_trusted = false;
    return nullptr;
}

std::optional<ImageSelection::Reason> ImageSelection::leaveOut(const ExtractorList::Entry& entry,
                                                               const std::function<QByteArray()>& contentHash)
{
    using Entry = ExtractorList::Entry;
    if (m_choices.masks() == ExtractChoices::Masks::LeaveOut
        && (entry.kind == Entry::Mask || entry.kind == Entry::SoftMask))
        return Mask;
    if (m_choices.noTiny && (entry.width < ExtractChoices::kTinySide || entry.height < ExtractChoices::kTinySide))
        return Tiny;
    if (!m_choices.noRepeats)
        return std::nullopt;
    // A soft mask names the object of its image: the kind is part of the key.
    QByteArray key = QByteArray(entry.kindName()) + ' ';
    if (entry.hasObject())
        key += QByteArray::number(entry.object) + ' ' + QByteArray::number(entry.generation);
    if (entry.hasObject() && m_saved.contains(key))
        return Repeat;
    if (entry.hasObject() && !m_contents) {
        m_saved.insert(key);
        return std::nullopt;
    }
    const QByteArray digest = contentHash();
    if (digest.isEmpty())
        return std::nullopt; // unreadable: saved rather than guessed a repeat
    // An inline image has nothing but its content to be known by.
    if (!entry.hasObject()) {
        key += QByteArray::number(entry.width) + 'x' + QByteArray::number(entry.height) + ' ' + digest;
        if (m_saved.contains(key))
            return Repeat;
    }
    m_saved.insert(key);
    if (!m_contents)
        return std::nullopt;
    if (m_contents->contains(digest))
        return SameContent;
    m_contents->insert(digest);
    return std::nullopt;
}

QString ImageSelection::reasonName(Reason reason)
{
    switch (reason) {
    case Mask:
        return QStringLiteral("masks");
    case Tiny:
        return QStringLiteral("tiny images");
    case SameContent:
        return QStringLiteral("same as an earlier image");
    case Repeat:
        break;
    }
    return QStringLiteral("repeats");
}
