// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Netpbm header reader on any bytes: it must not crash or overflow, and
// what it reads must be a header that describes itself: the same numbers
// read again from the header alone, whatever follows it, and written out
// afresh.
#include "extract/NetpbmHeader.h"

#include <QBuffer>

#include <cstdlib>

namespace {

std::optional<NetpbmHeader> readFrom(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    std::optional<NetpbmHeader> header = NetpbmHeader::read(buffer);
    if (header && header->headerBytes != buffer.pos())
        std::abort();
    return header;
}

bool same(const NetpbmHeader& a, const NetpbmHeader& b)
{
    return a.kind == b.kind && a.width == b.width && a.height == b.height && a.maxValue == b.maxValue;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<NetpbmHeader> header = readFrom(bytes);
    if (!header)
        return 0;
    const qint64 samples = header->kind == '6' ? 3 : 1;
    const qint64 row =
        header->kind == '4' ? (header->width + 7) / 8 : header->width * samples * (header->maxValue > 255 ? 2 : 1);
    if (header->kind < '4' || header->kind > '6' || header->width < 1 || header->height < 1 || header->maxValue < 1
        || header->maxValue > 65535 || (header->kind == '4' && header->maxValue != 1)
        || header->headerBytes > bytes.size() || header->rowBytes() != row
        || header->fileSize() != header->headerBytes + row * header->height)
        std::abort();
    // The header alone, or followed by anything else, reads the same.
    const QByteArray alone = bytes.left(header->headerBytes);
    const std::optional<NetpbmHeader> again = readFrom(alone + QByteArray("\xff\x00 9", 4));
    if (!again || !same(*again, *header) || again->headerBytes != header->headerBytes)
        std::abort();
    // Written afresh, it reads the same.
    QByteArray written = "P" + QByteArray(1, header->kind) + '\n' + QByteArray::number(header->width) + ' '
                         + QByteArray::number(header->height) + '\n';
    if (header->kind != '4')
        written += QByteArray::number(header->maxValue) + '\n';
    const std::optional<NetpbmHeader> rewritten = readFrom(written);
    if (!rewritten || !same(*rewritten, *header) || rewritten->headerBytes != written.size())
        std::abort();
    return 0;
}
