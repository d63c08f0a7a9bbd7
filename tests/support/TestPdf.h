// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: LicenseRef-proprietary

#pragma once

#include <QList>
#include <QString>

// Writes small but real PDF files for the tests: one image per page, in page
// order, of the kinds a scanner or an office program puts into PDFs.
namespace TestPdf {

enum class Kind {
    Rgb,  // 8-bit colour, deflated
    Gray, // 8-bit grey, deflated
    Jpeg, // colour, as a JPEG (DCT) stream
    Mono, // 1-bit black and white, deflated
    Lost, // damaged: the page draws an image the file does not hold
};

struct Image {
    Kind kind = Kind::Rgb;
    int width = 16;
    int height = 16;
    int seed = 0; // varies the picture so images can be told apart
};

// Writes a PDF holding the images; returns false when the file could not be
// written.
bool write(const QString& path, const QList<Image>& images);

} // namespace TestPdf
