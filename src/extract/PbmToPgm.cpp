// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PbmToPgm.h"

#include "NetpbmHeader.h"
#include "util/Platform.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cstring>

namespace PbmToPgm {

namespace {

// Eight grey pixels for every possible byte of eight black-and-white ones:
// scanned pages run to millions of pixels, one table look-up per byte.
const std::array<std::array<char, 8>, 256>& spreadTable()
{
    static const auto table = [] {
        std::array<std::array<char, 8>, 256> t{};
        for (int byte = 0; byte < 256; ++byte)
            for (int bit = 0; bit < 8; ++bit)
                t[size_t(byte)][size_t(bit)] = (byte & (0x80 >> bit)) ? char(0) : char(255);
        return t;
    }();
    return table;
}

void spreadRow(const unsigned char* bits, qint64 width, char* pixel)
{
    const auto& spread = spreadTable();
    const qint64 wholeBytes = width / 8;
    for (qint64 b = 0; b < wholeBytes; ++b, pixel += 8)
        std::memcpy(pixel, spread[bits[b]].data(), 8);
    if (const qint64 rest = width % 8)
        std::memcpy(pixel, spread[bits[wholeBytes]].data(), size_t(rest));
}

// Rows go through in blocks of about this many pixels: few enough to keep
// memory small and the window answering, many enough to keep the reads and
// writes large.
constexpr qint64 kPixelsPerBlock = 1024 * 1024;

// Turns the pixels of in, from the first, into grey pixels written to out.
bool convertRows(QIODevice& in, QIODevice& out, const NetpbmHeader& header, const std::function<bool()>& keepGoing)
{
    const qint64 rowBytes = header.rowBytes();
    const qint64 blockRows = qBound<qint64>(1, kPixelsPerBlock / header.width, header.height);
    QByteArray bits(rowBytes * blockRows, Qt::Uninitialized);
    QByteArray grey(header.width * blockRows, Qt::Uninitialized);
    for (qint64 y = 0; y < header.height; y += blockRows) {
        const qint64 rows = qMin(blockRows, header.height - y);
        if (in.read(bits.data(), rows * rowBytes) != rows * rowBytes)
            return false;
        for (qint64 r = 0; r < rows; ++r)
            spreadRow(reinterpret_cast<const unsigned char*>(bits.constData()) + r * rowBytes, header.width,
                      grey.data() + r * header.width);
        if (out.write(grey.constData(), rows * header.width) != rows * header.width)
            return false;
        if (keepGoing && !keepGoing())
            return false;
    }
    return true;
}

} // namespace

bool convert(QIODevice& in, QIODevice& out, const std::function<bool()>& keepGoing)
{
    const std::optional<NetpbmHeader> header = NetpbmHeader::read(in);
    if (!header || header->kind != '4' || in.size() < header->fileSize())
        return false;
    return out.write("P5\n" + QByteArray::number(header->width) + ' ' + QByteArray::number(header->height) + "\n255\n")
               > 0
           && convertRows(in, out, *header, keepGoing);
}

bool convert(const QString& from, const QString& to, const std::function<bool()>& keepGoing, QString* why,
             qint64 mostPixels)
{
    QFile in;
    if (!Platform::openPlainFile(in, from)) {
        if (why)
            *why = QStringLiteral("not a plain file that can be read");
        return false;
    }
    const std::optional<NetpbmHeader> header = NetpbmHeader::read(in);
    if (!header || header->kind != '4' || in.size() < header->fileSize() || !in.seek(0))
        return false;
    if (header->width * header->height > mostPixels) {
        if (why)
            *why = QStringLiteral("larger than its image can be");
        return false;
    }

    // A plain file, not a QSaveFile: this copy lives for one encoder run, and
    // flushing it to the disk first would cost more than the encoding. It is
    // never written over an existing file.
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (why)
            *why = out.errorString();
        return false;
    }
    const bool ok = convert(in, out, keepGoing) && out.flush();
    if (!ok) {
        if (why && out.error() != QFileDevice::NoError)
            *why = out.errorString();
        out.close();
        out.remove();
    }
    return ok;
}

} // namespace PbmToPgm
