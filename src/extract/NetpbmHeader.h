// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

#include <optional>

class QIODevice;

// The header of a binary Netpbm image (P4 black and white, P5 grey, P6
// colour), the only kinds the extractor writes. Its numbers say exactly how
// large a whole file is, which tells a finished image from one that was cut
// short.
struct NetpbmHeader {
    char kind = 0; // '4', '5' or '6'
    qint64 width = 0;
    qint64 height = 0;
    qint64 maxValue = 1;    // 1 for black and white
    qint64 headerBytes = 0; // where the pixels begin

    // Bytes in one row of pixels.
    qint64 rowBytes() const;
    // The size of the whole file that this header describes.
    qint64 fileSize() const;

    // Reads the header from the start of device, leaving it positioned at the
    // first pixel; nothing when it is not a binary Netpbm header or its
    // numbers are out of reason.
    static std::optional<NetpbmHeader> read(QIODevice& device);
    // The header of the file at path.
    static std::optional<NetpbmHeader> readFile(const QString& path);
};
