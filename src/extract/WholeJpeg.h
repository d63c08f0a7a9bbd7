// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class QIODevice;

// Our one rule for a whole JPEG file, whoever wrote it: the extractor (a JPEG
// image kept as it is), the encoder, or a run that was killed while writing
// it. Whole is: the start mark, segments each as long as its length says, a
// frame header, scan data, the end mark, and after it nothing but padding
// (white space or zeros). What the rule learns on the way is the frame's
// size, which must agree with what the image is known to be.
namespace WholeJpeg {

struct Verdict {
    enum Kind {
        Whole,
        CutShort,  // begun well, but it ends before its end mark
        Malformed, // not a JPEG file, or one with something else in it
    };
    Kind kind = Malformed;
    int width = 0; // of the frame, once it is read
    int height = 0;
};

// Reads device from its current position to its end, in pieces.
Verdict examine(QIODevice& device);

} // namespace WholeJpeg
