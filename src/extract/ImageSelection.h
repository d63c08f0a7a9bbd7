// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ExtractChoices.h"
#include "ExtractorList.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

// Which of one PDF's images are saved, by the choices and the extractor's
// list. An image is only ever left out on the word of its own entry in the
// list, once its file has been seen to agree with that entry; from the first
// file that does not agree on, the list is no longer trusted and every image
// is saved, as it is when there is no list at all.
class ImageSelection
{
public:
    enum Reason {
        Mask,
        Tiny,
        Repeat,
    };
    static constexpr int kReasons = 3;

    explicit ImageSelection(const ExtractChoices& choices);

    void setList(const ExtractorList* list) { m_list = list; }
    bool trusted() const { return m_list && m_trusted; }

    // The list's entry for image file number n, with its kind told by the
    // file's name (".jpg", ".pbm", ".ppm") and, for Netpbm files, the size its
    // header gives; nothing when there is no trusted entry for it.
    const ExtractorList::Entry* entryFor(int n, const QString& path, int width, int height);

    // Why the image of entry is left out, or nothing when it is saved;
    // contentHash gives a digest of the file, asked for only to tell repeats
    // of images that have no object of their own.
    std::optional<Reason> leaveOut(const ExtractorList::Entry& entry, const std::function<QByteArray()>& contentHash);

    // The words for a reason, as the final message lists them.
    static QString reasonName(Reason reason);

private:
    ExtractChoices m_choices;
    const ExtractorList* m_list = nullptr;
    bool m_trusted = true;
    QSet<QByteArray> m_saved; // what was saved of this PDF, for repeats
};
