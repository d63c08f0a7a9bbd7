// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What a run keeps and leaves out beyond turning every image into a JPEG
// file; all off, every image the extractor writes is encoded.
struct ExtractChoices {
    // What becomes of soft masks and masks, the transparency of other images.
    enum class Masks {
        Save,     // each saved as an image of its own
        LeaveOut, // not saved
        Apply,    // each image saved as it looks on a white page, its mask not saved
    };

    bool keepJpeg = false; // JPEG images saved bit for bit, not encoded again
    bool noMasks = false;  // soft masks and explicit masks left out
    bool noTiny = false;   // images under kTinySide pixels wide or high left out
    // An image already saved from the same PDF left out, and one whose file is
    // the same, byte for byte, as one already saved in the run.
    bool noRepeats = false;
    bool applyMasks = false; // masks applied to their images; before noMasks

    // Narrower or lower than this, an image is a rule, a dot or a mark.
    static constexpr int kTinySide = 8;

    Masks masks() const { return applyMasks ? Masks::Apply : (noMasks ? Masks::LeaveOut : Masks::Save); }
    void setMasks(Masks masks)
    {
        noMasks = masks == Masks::LeaveOut;
        applyMasks = masks == Masks::Apply;
    }

    bool any() const { return keepJpeg || masks() != Masks::Save || noTiny || noRepeats; }
    bool leavesOut() const { return masks() == Masks::LeaveOut || noTiny || noRepeats; }
    // Whether anything is decided on the word of the extractor's list.
    bool needList() const { return leavesOut() || masks() == Masks::Apply; }
    bool operator==(const ExtractChoices&) const = default;
};
