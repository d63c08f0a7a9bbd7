// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The 1-bit to grey converter on any bytes: it takes exactly the whole PBM
// images, and turns every pixel the way the format says (a set bit is black,
// each row starts on a byte of its own) into a grey one. A stop asked for
// partway through is obeyed.
#include "extract/NetpbmHeader.h"
#include "extract/PbmToPgm.h"

#include <QBuffer>

#include <cstdlib>

namespace {

// Large enough for the converter's blocks of rows, small enough to be fast.
constexpr qint64 kMostPixels = 1 << 22;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer peek(&bytes);
    peek.open(QIODevice::ReadOnly);
    const std::optional<NetpbmHeader> header = NetpbmHeader::read(peek);
    const bool whole = header && header->kind == '4' && bytes.size() >= header->fileSize();
    if (whole && header->width * header->height > kMostPixels)
        return 0;

    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    QByteArray grey;
    QBuffer out(&grey);
    out.open(QIODevice::WriteOnly);
    if (PbmToPgm::convert(in, out) != whole)
        std::abort();
    if (!whole)
        return 0;
    const QByteArray head =
        "P5\n" + QByteArray::number(header->width) + ' ' + QByteArray::number(header->height) + "\n255\n";
    if (!grey.startsWith(head) || grey.size() != head.size() + header->width * header->height)
        std::abort();
    const qint64 rowBytes = (header->width + 7) / 8;
    for (qint64 y = 0; y < header->height; ++y)
        for (qint64 x = 0; x < header->width; ++x) {
            const auto bits = static_cast<unsigned char>(bytes.at(header->headerBytes + y * rowBytes + x / 8));
            const bool black = bits & (0x80 >> (x % 8));
            if (static_cast<unsigned char>(grey.at(head.size() + y * header->width + x)) != (black ? 0 : 255))
                std::abort();
        }

    // Stopped at its first look, the conversion fails.
    QBuffer again(&bytes);
    again.open(QIODevice::ReadOnly);
    QByteArray partial;
    QBuffer stopped(&partial);
    stopped.open(QIODevice::WriteOnly);
    if (PbmToPgm::convert(again, stopped, [] { return false; }))
        std::abort();
    return 0;
}
