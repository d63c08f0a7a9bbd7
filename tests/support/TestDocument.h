// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TestPdf.h"

#include <QList>
#include <QString>

// Writes PDF files shaped like real documentation, manuals and papers: pages
// of text set in the standard fonts, headings, code, tables and diagrams
// drawn with paths, a running head on every page, with images among them
// where asked. As in files that office programs and typesetters write, the
// pages' drawing is deflated and the small objects are packed into object
// streams, so the extractor works through every page as it does on real
// documents, whether or not a page holds an image.
namespace TestDocument {

// An image on one page of a document, of any kind TestPdf writes.
struct Figure {
    int page = 0; // from 0
    TestPdf::Image image;
};

struct Document {
    int pages = 2;
    int seed = 0; // varies the text and the drawing
    // Drawn on their pages in this order, each image.draws times.
    QList<Figure> figures = {};
    // Drawn in the running head of every page, each one object for the whole
    // document, as a company's logo is; the extractor writes it once a page.
    QList<TestPdf::Image> letterhead = {};
};

// The number of images the extractor writes for the document: a soft mask
// counts as an image of its own, a Lost image as none.
int imageCount(const Document& document);

// Returns false when the file could not be written.
bool write(const QString& path, const Document& document);

} // namespace TestDocument
