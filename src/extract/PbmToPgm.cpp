#include "PbmToPgm.h"

#include <QByteArray>
#include <QFile>

#include <array>
#include <cstring>

namespace PbmToPgm {

namespace {

// Reads the next whole number of a PBM header, passing over white space and
// comments; -1 when there is none.
qint64 HeaderNumber(const QByteArray& data, qsizetype& at)
{
    while (at < data.size()) {
        const char c = data.at(at);
        if (c == '#') {
            while (at < data.size() && data.at(at) != '\n' && data.at(at) != '\r')
                ++at;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
            ++at;
        } else {
            break;
        }
    }
    qint64 value = -1;
    while (at < data.size() && data.at(at) >= '0' && data.at(at) <= '9') {
        value = (value < 0 ? 0 : value * 10) + (data.at(at) - '0');
        if (value > (1 << 20))
            return -1;
        ++at;
    }
    return value;
}

} // namespace

bool Convert(const QString& from, const QString& to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = in.readAll();
    if (!data.startsWith("P4"))
        return false;
    qsizetype at = 2;
    const qint64 width = HeaderNumber(data, at);
    const qint64 height = HeaderNumber(data, at);
    if (width <= 0 || height <= 0 || at >= data.size())
        return false;
    ++at; // the one white-space character before the pixels
    const qint64 rowBytes = (width + 7) / 8;
    if (data.size() - at < rowBytes * height)
        return false;

    QByteArray out = "P5\n" + QByteArray::number(width) + ' ' + QByteArray::number(height) + "\n255\n";
    const qsizetype header = out.size();
    out.resize(header + width * height);
    // Eight grey pixels for every possible byte of eight black-and-white ones:
    // scanned pages run to millions of pixels, one table look-up per byte.
    static const auto kSpread = [] {
        std::array<std::array<char, 8>, 256> table{};
        for (int byte = 0; byte < 256; ++byte)
            for (int bit = 0; bit < 8; ++bit)
                table[size_t(byte)][size_t(bit)] = (byte & (0x80 >> bit)) ? char(0) : char(255);
        return table;
    }();
    char* pixel = out.data() + header;
    const auto* bits = reinterpret_cast<const unsigned char*>(data.constData() + at);
    const qint64 wholeBytes = width / 8;
    const qint64 rest = width % 8;
    for (qint64 y = 0; y < height; ++y, bits += rowBytes) {
        for (qint64 b = 0; b < wholeBytes; ++b, pixel += 8)
            std::memcpy(pixel, kSpread[bits[b]].data(), 8);
        if (rest) {
            std::memcpy(pixel, kSpread[bits[wholeBytes]].data(), size_t(rest));
            pixel += rest;
        }
    }

    // A plain file, not a QSaveFile: this copy lives for one encoder run, and
    // flushing it to the disk first would cost more than the encoding.
    QFile file(to);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(out) != out.size()) {
        file.close();
        file.remove();
        return false;
    }
    return true;
}

} // namespace PbmToPgm
