// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ExtractorList.h"

#include <QString>

#include <functional>

// An image and its soft mask or mask, as the extractor wrote them, made into
// the one picture a reader sees on a white page: each sample is the image's
// colour where the mask is opaque and white where it is clear, blended
// between. A mask of another size is scaled to the image's: enlarged, each
// image pixel takes the mask sample it falls on; reduced, the mean of the
// samples it covers.
//
// A soft mask's grey is its opacity. A mask's set bits are the parts left
// clear, as the PDF holds them and the extractor writes them, unchanged.
namespace MaskCompositor {

// Writes the picture of the image at imagePath, listed as image, through the
// mask at maskPath, listed as mask, to the new file to: a colour PPM file, or
// a grey PGM file for a black-and-white or grey image (see outputSuffix).
// Each file is opened only when it is a plain file with one name, and its header checked
// against its entry (kind, width, height, and the file exactly as long as its
// header says) before any of its pixels is read. keepGoing is called every
// few rows; when it returns false the work stops. Returns false, leaving
// nothing at to, when that fails; why then says what failed.
bool composite(const QString& imagePath, const ExtractorList::Entry& image, const QString& maskPath,
               const ExtractorList::Entry& mask, const QString& to, const std::function<bool()>& keepGoing = {},
               QString* why = nullptr);

// ".ppm" or ".pgm": what composite writes for the image file at imagePath.
QString outputSuffix(const QString& imagePath);

// Images and masks beyond these many samples are refused: a mask is held in
// memory whole, and no picture of a PDF comes near.
constexpr qint64 kMostImageSamples = qint64(1) << 30;
constexpr qint64 kMostMaskSamples = qint64(1) << 28;

} // namespace MaskCompositor
