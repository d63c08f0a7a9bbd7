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
// list. The extractor's files are matched to the entries in order: a file
// takes the next entry of its kind and size, and entries passed over gave no
// file (an image the extractor could not read, and numbered its next files
// on without). Once a file matches no entry left, the list is no longer
// trusted and every image is saved, as it is when there is no list at all.
class ImageSelection
{
public:
    enum Reason {
        Mask,
        Tiny,
        Repeat,      // an object, or an inline image, already saved from the same PDF
        SameContent, // the same file, byte for byte, as one already saved in the run
    };
    static constexpr int kReasons = 4;

    // savedContents: what was saved in the whole run, shared by the
    // selections of its PDFs; none: repeats are known by their object alone
    // (an inline image by its content), as they were before.
    explicit ImageSelection(const ExtractChoices& choices, QSet<QByteArray>* savedContents = nullptr);

    void setList(const ExtractorList* list) { m_list = list; }
    bool trusted() const { return m_list && m_trusted; }
    // True once a file matched no entry of the list that was read.
    bool disagreed() const { return m_list && !m_trusted; }

    // The list's entry for the extractor's next file, with its kind told by
    // the file's name (".jpg", ".pbm", ".ppm") and its size by its header or
    // frame (a size of 0: not known); nothing when there is no trusted entry
    // for it.
    const ExtractorList::Entry* entryFor(const QString& path, int width, int height);
    // The number of the entry entryFor gave last.
    qsizetype lastIndex() const { return m_nextEntry - 1; }
    // Entries passed over so far: they gave no file.
    qsizetype passedOver() const { return m_passedOver; }

    // Why the image of entry is left out, or nothing when it is saved;
    // contentHash gives a digest of what would be saved, asked for only when
    // repeats are left out and the entry's object tells nothing.
    std::optional<Reason> leaveOut(const ExtractorList::Entry& entry, const std::function<QByteArray()>& contentHash);

    // The words for a reason, as the final message lists them.
    static QString reasonName(Reason reason);

private:
    ExtractChoices m_choices;
    const ExtractorList* m_list = nullptr;
    bool m_trusted = true;
    qsizetype m_nextEntry = 0;
    qsizetype m_passedOver = 0;
    QSet<QByteArray> m_saved;               // what was saved of this PDF, by object
    QSet<QByteArray>* m_contents = nullptr; // by content, across the run
};
