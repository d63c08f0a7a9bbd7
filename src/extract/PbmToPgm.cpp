#include "PbmToPgm.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

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
    char* pixel = out.data() + header;
    const auto* bits = reinterpret_cast<const unsigned char*>(data.constData() + at);
    for (qint64 y = 0; y < height; ++y, bits += rowBytes)
        for (qint64 x = 0; x < width; ++x)
            *pixel++ = (bits[x >> 3] & (0x80 >> (x & 7))) ? char(0) : char(255);

    QSaveFile file(to);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size())
        return false;
    return file.commit();
}

} // namespace PbmToPgm
