// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>

// What the extractor's error channel says about a PDF it read to the end
// (exit code 0). Each of its lines is "Category (offset): message" or
// "Category: message". Errors about drawing alone (a path with no current
// point, an unknown graphics state, a font, an annotation) leave every image
// as it was; errors about the file's structure or its images (missing
// objects, broken streams, failed decoding, an unknown image) may have cost
// images. A message not known to be about drawing counts as the second kind.
struct ExtractorMessages {
    bool damaged = false;       // some error may have cost images
    bool couldNotWrite = false; // an image file could not be opened for writing
    // Some error may have cost an image that the extractor's list cannot name
    // either: one the drawing calls for but the file does not hold, or whose
    // parameters are unusable, or a broken page tree. Others cost no image
    // the list does not account for.
    bool unlisted = false;

    static ExtractorMessages read(const QByteArray& errorOutput);
    // True when the message of one error line is known to be about drawing only.
    static bool aboutDrawingOnly(const QString& message);
    // True when the message of one error line may tell of an image missing
    // from the list as well.
    static bool aboutUnlistedImages(const QString& message);
};
