// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The compositor on any pair of files: the first byte says where the image's
// bytes end and the mask's begin, the second whether the mask is a soft mask,
// and the entries take the sizes the headers give (or none). A picture is
// only made of files whose headers agree with their entries, it is exactly
// as large as its header says, and no sample of it is darker than the
// image's: a mask only ever lets white through.
#include "extract/MaskCompositor.h"
#include "extract/NetpbmHeader.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

// Small enough to be fast.
constexpr qint64 kMostSamples = 1 << 20;

std::optional<NetpbmHeader> headerOf(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return NetpbmHeader::read(buffer);
}

bool save(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    if (size < 2)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 2, qsizetype(size) - 2);
    const qsizetype split = qMin<qsizetype>(bytes.size(), data[0] * 4);
    const QByteArray image = bytes.left(split);
    const QByteArray mask = bytes.mid(split);
    const std::optional<NetpbmHeader> imageHeader = headerOf(image);
    const std::optional<NetpbmHeader> maskHeader = headerOf(mask);
    for (const auto& header : {imageHeader, maskHeader})
        if (header && header->width * header->height > kMostSamples)
            return 0;

    using Entry = ExtractorList::Entry;
    Entry imageEntry;
    imageEntry.kind = Entry::Image;
    imageEntry.width = imageHeader ? int(imageHeader->width) : 1;
    imageEntry.height = imageHeader ? int(imageHeader->height) : 1;
    const bool blackAndWhite = imageHeader && imageHeader->kind == '4';
    imageEntry.components = blackAndWhite ? 1 : 3;
    imageEntry.bitsPerComponent = blackAndWhite ? 1 : 8;
    Entry maskEntry;
    maskEntry.kind = data[1] & 1 ? Entry::SoftMask : Entry::Mask;
    maskEntry.width = maskHeader ? int(maskHeader->width) : 1;
    maskEntry.height = maskHeader ? int(maskHeader->height) : 1;
    const QString imagePath = dir.filePath(blackAndWhite ? QStringLiteral("i.pbm") : QStringLiteral("i.ppm"));
    const QString maskPath = dir.filePath(QStringLiteral("m"));
    const QString to = dir.filePath(QStringLiteral("picture"));
    QFile::remove(to);
    if (!save(imagePath, image) || !save(maskPath, mask))
        std::abort();
    const bool made = MaskCompositor::composite(imagePath, imageEntry, maskPath, maskEntry, to);
    const bool agree =
        imageHeader && maskHeader && image.size() == imageHeader->fileSize() && mask.size() == maskHeader->fileSize();
    if (made && !agree)
        std::abort();
    if (!made) {
        if (QFile::exists(to))
            std::abort();
        return 0;
    }
    QFile out(to);
    if (!out.open(QIODevice::ReadOnly))
        std::abort();
    const QByteArray picture = out.readAll();
    const int channels = imageHeader->kind == '6' ? 3 : 1;
    const QByteArray head = (channels == 3 ? "P6\n" : "P5\n") + QByteArray::number(imageHeader->width) + ' '
                            + QByteArray::number(imageHeader->height) + "\n255\n";
    const qint64 samples = imageHeader->width * imageHeader->height * channels;
    if (!picture.startsWith(head) || picture.size() != head.size() + samples)
        std::abort();
    for (qint64 i = 0; i < samples; ++i) {
        const qint64 pixel = i / channels;
        const qint64 x = pixel % imageHeader->width;
        const qint64 y = pixel / imageHeader->width;
        int sample = 0;
        if (blackAndWhite) {
            const auto bits =
                static_cast<unsigned char>(image.at(imageHeader->headerBytes + y * imageHeader->rowBytes() + x / 8));
            sample = bits & (0x80 >> (x % 8)) ? 0 : 255;
        } else {
            sample = static_cast<unsigned char>(image.at(imageHeader->headerBytes + i));
        }
        if (static_cast<unsigned char>(picture.at(head.size() + i)) < sample)
            std::abort();
    }
    return 0;
}
