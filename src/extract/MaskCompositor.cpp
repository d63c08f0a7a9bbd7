// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MaskCompositor.h"

#include "NetpbmHeader.h"
#include "util/Platform.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <array>
#include <vector>

namespace MaskCompositor {

namespace {

const QString kDisagrees = QStringLiteral("a file does not agree with the extractor's list");

// Opens the file at path for its pixels once its header is one of kinds, of
// the size given, 8 bits to a sample, and the file exactly as long as the
// header says.
bool openChecked(QFile& file, NetpbmHeader& header, const QString& path, QByteArrayView kinds, int width, int height,
                 QString* why)
{
    // The extractor's own file, with no second name it could still write
    // it through.
    int links = 0;
    if (!Platform::openPlainFile(file, path, &links) || links != 1) {
        *why = kDisagrees;
        return false;
    }
    const std::optional<NetpbmHeader> read = NetpbmHeader::read(file);
    if (!read || !kinds.contains(read->kind) || read->width != width || read->height != height
        || (read->kind != '4' && read->maxValue != 255) || file.size() != read->fileSize()) {
        *why = kDisagrees;
        return false;
    }
    header = *read;
    return true;
}

// One row of pixels as samples of 0 to 255, a black-and-white row spread to
// one sample a pixel: a set bit is 0, black in an image and clear in a mask.
void spread(const QByteArray& row, const NetpbmHeader& header, unsigned char* samples)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(row.constData());
    if (header.kind != '4') {
        std::copy(bytes, bytes + row.size(), samples);
        return;
    }
    for (qint64 x = 0; x < header.width; ++x)
        samples[x] = (bytes[x / 8] & (0x80 >> (x % 8))) ? 0 : 255;
}

// The mask's opacity, one byte a sample, row after row.
bool readOpacity(QFile& file, const NetpbmHeader& header, std::vector<unsigned char>& opacity)
{
    const qint64 width = header.width;
    opacity.resize(size_t(width * header.height));
    QByteArray row(header.rowBytes(), Qt::Uninitialized);
    std::vector<unsigned char> samples(static_cast<size_t>(header.kind == '6' ? width * 3 : width));
    for (qint64 y = 0; y < header.height; ++y) {
        if (file.read(row.data(), row.size()) != row.size())
            return false;
        spread(row, header, samples.data());
        unsigned char* out = opacity.data() + y * width;
        // A soft mask is grey, written as colour with three equal samples.
        const qint64 step = header.kind == '6' ? 3 : 1;
        for (qint64 x = 0; x < width; ++x)
            out[x] = samples[size_t(x * step)];
    }
    return true;
}

// Each sample of 0 to 255 through each opacity of 0 to 255, blended with
// white and rounded: one look-up a sample instead of a division.
const std::array<std::array<unsigned char, 256>, 256>& onWhite()
{
    static const auto table = [] {
        std::array<std::array<unsigned char, 256>, 256> t{};
        for (unsigned a = 0; a < 256; ++a)
            for (unsigned sample = 0; sample < 256; ++sample)
                t[a][sample] = static_cast<unsigned char>((a * sample + (255 - a) * 255 + 127) / 255);
        return t;
    }();
    return table;
}

// Where pixel i of an image side falls on the mask's side of maskSide
// samples: from first up to (not including) last, at least one sample.
struct Span {
    qint64 first = 0;
    qint64 last = 0;
};

Span span(qint64 i, qint64 imageSide, qint64 maskSide)
{
    const qint64 first = qMin(i * maskSide / imageSide, maskSide - 1);
    const qint64 last = ((i + 1) * maskSide + imageSide - 1) / imageSide;
    return {first, qBound(first + 1, last, maskSide)};
}

// Writes the rows of the image, each through the mask's opacity at its place.
bool compositeRows(QFile& in, const NetpbmHeader& image, const std::vector<unsigned char>& opacity,
                   const NetpbmHeader& mask, QIODevice& out, const std::function<bool()>& keepGoing)
{
    const qint64 width = image.width;
    const int channels = image.kind == '6' ? 3 : 1;
    const bool sameSize = mask.width == width && mask.height == image.height;
    QByteArray row(image.rowBytes(), Qt::Uninitialized);
    std::vector<unsigned char> samples(static_cast<size_t>(width * channels));
    std::vector<unsigned char> alpha(static_cast<size_t>(width));
    std::vector<qint64> columnSums(static_cast<size_t>(mask.width));
    const qint64 rowsPerCheck = qMax<qint64>(1, (qint64(1) << 20) / width);
    for (qint64 y = 0; y < image.height; ++y) {
        if (in.read(row.data(), row.size()) != row.size())
            return false;
        spread(row, image, samples.data());
        if (sameSize) {
            std::copy_n(opacity.data() + y * width, width, alpha.data());
        } else {
            const Span band = span(y, image.height, mask.height);
            std::fill(columnSums.begin(), columnSums.end(), 0);
            for (qint64 my = band.first; my < band.last; ++my)
                for (qint64 mx = 0; mx < mask.width; ++mx)
                    columnSums[size_t(mx)] += opacity[size_t(my * mask.width + mx)];
            for (qint64 x = 0; x < width; ++x) {
                const Span columns = span(x, width, mask.width);
                qint64 sum = 0;
                for (qint64 mx = columns.first; mx < columns.last; ++mx)
                    sum += columnSums[size_t(mx)];
                const qint64 count = (columns.last - columns.first) * (band.last - band.first);
                alpha[size_t(x)] = static_cast<unsigned char>((sum + count / 2) / count);
            }
        }
        const auto& blend = onWhite();
        for (qint64 x = 0; x < width; ++x) {
            const auto& through = blend[alpha[size_t(x)]];
            for (int c = 0; c < channels; ++c) {
                unsigned char& sample = samples[size_t(x * channels + c)];
                sample = through[sample];
            }
        }
        if (out.write(reinterpret_cast<const char*>(samples.data()), qint64(samples.size())) != qint64(samples.size()))
            return false;
        if (keepGoing && y % rowsPerCheck == 0 && !keepGoing())
            return false;
    }
    return true;
}

} // namespace

QString outputSuffix(const QString& imagePath)
{
    const bool colour = imagePath.endsWith(QLatin1String(".ppm"), Qt::CaseInsensitive);
    return colour ? QStringLiteral(".ppm") : QStringLiteral(".pgm");
}

bool composite(const QString& imagePath, const ExtractorList::Entry& image, const QString& maskPath,
               const ExtractorList::Entry& mask, const QString& to, const std::function<bool()>& keepGoing,
               QString* why)
{
    QString ignored;
    QString& reason = why ? *why : ignored;
    const bool colour = outputSuffix(imagePath) == QLatin1String(".ppm");
    const QByteArrayView imageKinds = image.blackAndWhite() ? "4" : (colour ? "6" : "5");
    const QByteArrayView maskKinds = mask.kind == ExtractorList::Entry::Mask ? "4" : "56";
    QFile imageFile;
    QFile maskFile;
    NetpbmHeader imageHeader;
    NetpbmHeader maskHeader;
    if (!openChecked(imageFile, imageHeader, imagePath, imageKinds, image.width, image.height, &reason)
        || !openChecked(maskFile, maskHeader, maskPath, maskKinds, mask.width, mask.height, &reason))
        return false;
    if (imageHeader.width * imageHeader.height > kMostImageSamples
        || maskHeader.width * maskHeader.height > kMostMaskSamples) {
        reason = QStringLiteral("the image is too large");
        return false;
    }
    std::vector<unsigned char> opacity;
    if (!readOpacity(maskFile, maskHeader, opacity)) {
        reason = kDisagrees;
        return false;
    }
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        reason = out.errorString();
        return false;
    }
    const QByteArray header = (colour ? "P6\n" : "P5\n") + QByteArray::number(image.width) + ' '
                              + QByteArray::number(image.height) + "\n255\n";
    const bool ok = out.write(header) == header.size()
                    && compositeRows(imageFile, imageHeader, opacity, maskHeader, out, keepGoing) && out.flush();
    if (!ok) {
        if (out.error() != QFileDevice::NoError)
            reason = out.errorString();
        out.close();
        out.remove();
    }
    return ok;
}

} // namespace MaskCompositor
