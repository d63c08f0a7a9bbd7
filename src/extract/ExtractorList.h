// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// The extractor's own list of a PDF's images ("pdfimages -list"): it walks
// the PDF as the extraction does, in the same order and with the same
// numbers, so entry n tells what image file n is.
class ExtractorList
{
public:
    struct Entry {
        enum Kind {
            Image,    // a picture
            Mask,     // the explicit mask of another image
            SoftMask, // the alpha channel of another image
            Stencil,  // a one-bit shape painted in the current colour
        };
        int page = 0;
        Kind kind = Image;
        int width = 0;
        int height = 0;
        int components = 0;
        int bitsPerComponent = 0;
        bool jpeg = false; // held in the PDF as a JPEG stream
        // The image's object; 0 for an image inline in a page's drawing, which
        // has none.
        int object = 0;
        int generation = 0;
        // The most bytes its stream can have, from the size the list gives
        // rounded; 0 when the list gives none.
        qint64 mostStreamBytes = 0;

        bool hasObject() const { return object > 0; }
        // Written as a one-bit (PBM) file when not kept as a JPEG.
        bool blackAndWhite() const;
        // The word the manifest and the messages use for the kind.
        const char* kindName() const;
    };

    // The list from the extractor's output; nothing when it is not such a
    // list, or its numbers do not run 0, 1, 2, ...
    static std::optional<ExtractorList> parse(const QByteArray& output);

    qsizetype size() const { return m_entries.size(); }
    // Entry n, counted from 0 as the extractor numbers its files; nothing
    // past the end.
    const Entry* entry(qsizetype n) const;

private:
    QList<Entry> m_entries;
};
