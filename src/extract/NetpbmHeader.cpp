// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "NetpbmHeader.h"

#include <QFile>

namespace {

// Far beyond any page an extractor writes, and small enough that sizes
// computed from it never overflow.
constexpr qint64 kMaxSide = qint64(1) << 24;

// A header is a few numbers; one that runs on (a comment without end) is
// no header of an image the extractor wrote, and is never read to its end.
constexpr qint64 kMostHeaderBytes = 1024;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The next whole number of the header, passing over white space and
// comments; -1 when there is none.
qint64 number(QIODevice& device, qint64 end)
{
    char c = 0;
    const auto next = [&device, &c, end] { return device.pos() < end && device.getChar(&c); };
    for (;;) {
        if (!next())
            return -1;
        if (c == '#') {
            while (c != '\n' && c != '\r')
                if (!next())
                    return -1;
        } else if (!isSpace(c)) {
            break;
        }
    }
    qint64 value = -1;
    while (c >= '0' && c <= '9') {
        value = (value < 0 ? 0 : value * 10) + (c - '0');
        if (value > kMaxSide)
            return -1;
        if (!next())
            return -1;
    }
    // The one white-space character that ends a number is part of the header.
    return isSpace(c) ? value : -1;
}

} // namespace

qint64 NetpbmHeader::rowBytes() const
{
    if (kind == '4')
        return (width + 7) / 8;
    const qint64 bytesPerSample = maxValue > 255 ? 2 : 1;
    return width * bytesPerSample * (kind == '6' ? 3 : 1);
}

qint64 NetpbmHeader::fileSize() const
{
    return headerBytes + rowBytes() * height;
}

std::optional<NetpbmHeader> NetpbmHeader::read(QIODevice& device)
{
    char magic[2];
    if (device.read(magic, 2) != 2 || magic[0] != 'P' || magic[1] < '4' || magic[1] > '6')
        return std::nullopt;
    NetpbmHeader header;
    header.kind = magic[1];
    const qint64 end = device.pos() + kMostHeaderBytes;
    header.width = number(device, end);
    header.height = number(device, end);
    if (header.kind != '4')
        header.maxValue = number(device, end);
    if (header.width <= 0 || header.height <= 0 || header.maxValue <= 0 || header.maxValue > 65535)
        return std::nullopt;
    header.headerBytes = device.pos();
    return header;
}

std::optional<NetpbmHeader> NetpbmHeader::readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return read(file);
}
