// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What a run keeps and leaves out beyond turning every image into a JPEG
// file; all off, every image the extractor writes is encoded.
struct ExtractChoices {
    bool keepJpeg = false;  // JPEG images saved bit for bit, not encoded again
    bool noMasks = false;   // soft masks and explicit masks left out
    bool noTiny = false;    // images under kTinySide pixels wide or high left out
    bool noRepeats = false; // an image already saved from the same PDF left out

    // Narrower or lower than this, an image is a rule, a dot or a mark.
    static constexpr int kTinySide = 8;

    bool any() const { return keepJpeg || noMasks || noTiny || noRepeats; }
    bool leavesOut() const { return noMasks || noTiny || noRepeats; }
    bool operator==(const ExtractChoices&) const = default;
};
