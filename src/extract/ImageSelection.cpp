// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ImageSelection.h"

ImageSelection::ImageSelection(const ExtractChoices& choices)
    : m_choices(choices)
{
}

const ExtractorList::Entry* ImageSelection::entryFor(int n, const QString& path, int width, int height)
{
    if (!trusted())
        return nullptr;
    const ExtractorList::Entry* entry = m_list->entry(n);
    bool agrees = entry != nullptr;
    if (agrees && path.endsWith(QLatin1String(".jpg"))) {
        agrees = entry->jpeg;
    } else if (agrees) {
        const bool blackAndWhite = path.endsWith(QLatin1String(".pbm"));
        agrees = entry->blackAndWhite() == blackAndWhite && entry->width == width && entry->height == height;
    }
    if (!agrees)
        m_trusted = false;
    return agrees ? entry : nullptr;
}

std::optional<ImageSelection::Reason> ImageSelection::leaveOut(const ExtractorList::Entry& entry,
                                                               const std::function<QByteArray()>& contentHash)
{
    using Entry = ExtractorList::Entry;
    if (m_choices.noMasks && (entry.kind == Entry::Mask || entry.kind == Entry::SoftMask))
        return Mask;
    if (m_choices.noTiny && (entry.width < ExtractChoices::kTinySide || entry.height < ExtractChoices::kTinySide))
        return Tiny;
    if (!m_choices.noRepeats)
        return std::nullopt;
    // A soft mask names the object of its image: the kind is part of the key.
    QByteArray key = QByteArray(entry.kindName()) + ' ';
    if (entry.hasObject())
        key += QByteArray::number(entry.object) + ' ' + QByteArray::number(entry.generation);
    else if (const QByteArray digest = contentHash(); !digest.isEmpty())
        key += QByteArray::number(entry.width) + 'x' + QByteArray::number(entry.height) + ' ' + digest;
    else
        return std::nullopt; // unreadable: saved rather than guessed a repeat
    if (m_saved.contains(key))
        return Repeat;
    m_saved.insert(key);
    return std::nullopt;
}

QString ImageSelection::reasonName(Reason reason)
{
    switch (reason) {
    case Mask:
        return QStringLiteral("masks");
    case Tiny:
        return QStringLiteral("tiny images");
    case Repeat:
        break;
    }
    return QStringLiteral("repeats");
}
