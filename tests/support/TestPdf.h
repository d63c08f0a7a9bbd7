// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QSize>
#include <QString>

// Writes small but real PDF files for the tests: one image per page, in page
// order, of the kinds a scanner, an office program or a drawing program puts
// into PDFs.
namespace TestPdf {

enum class Kind {
    Rgb,         // 8-bit colour, deflated
    Gray,        // 8-bit grey, deflated
    Jpeg,        // colour, as a JPEG (DCT) stream
    Mono,        // 1-bit black and white, deflated
    Lost,        // damaged: the page draws an image the file does not hold
    Stencil,     // a one-bit shape inline in the page's drawing, as rules and marks are drawn
    Undecodable, // a fax-coded image whose data the extractor cannot decode
};

struct Image {
    Kind kind = Kind::Rgb;
    int width = 16;
    int height = 16;
    int seed = 0;            // varies the picture so images can be told apart
    bool softMask = false;   // with an alpha channel of its own, a grey image of maskSize
    int draws = 1;           // how often the page draws it (an inline image: as often, byte for byte)
    QByteArray drawing = {}; // more drawing operators for the page, before the image
    QSize maskSize = {};     // of the soft mask; invalid: the image's
};

// The bytes of a Jpeg image as the PDF holds them.
QByteArray jpegData(const Image& image);

// Writes a PDF holding the images; returns false when the file could not be
// written.
bool write(const QString& path, const QList<Image>& images);

// An image as write() stores it, for files laid out otherwise: the entries of
// its dictionary (its /Length among them) and its stream. A soft mask is left
// to the caller. Lost and Stencil images have no object: both are empty.
struct EncodedImage {
    QByteArray dictionary;
    QByteArray stream;
};
EncodedImage encodeImage(const Image& image);

} // namespace TestPdf
