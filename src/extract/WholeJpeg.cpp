// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WholeJpeg.h"

#include <QByteArray>
#include <QIODevice>

#include <cstring>

namespace WholeJpeg {

namespace {

// A device read in large pieces, a byte at a time.
class Reader
{
public:
    explicit Reader(QIODevice& device)
        : m_device(device)
    {
    }

    // The next byte, or -1 at the end.
    int next()
    {
        if (m_at == m_size && !fill())
            return -1;
        return static_cast<unsigned char>(m_buffer[m_at++]);
    }
    // Passes over count bytes; false when the device ends first.
    bool skip(qint64 count)
    {
        while (count > 0) {
            if (m_at == m_size && !fill())
                return false;
            const qint64 step = qMin(count, m_size - m_at);
            m_at += step;
            count -= step;
        }
        return true;
    }
    // Passes over scan data up to its next 0xFF; false at the end.
    bool toNextFF()
    {
        for (;;) {
            if (m_at == m_size && !fill())
                return false;
            const void* found = std::memchr(m_buffer + m_at, 0xff, size_t(m_size - m_at));
            if (found) {
                m_at = static_cast<const char*>(found) - m_buffer + 1;
                return true;
            }
            m_at = m_size;
        }
    }

private:
    bool fill()
    {
        m_size = qMax<qint64>(0, m_device.read(m_buffer, kPiece));
        m_at = 0;
        return m_size > 0;
    }

    static constexpr qint64 kPiece = 64 * 1024;
    QIODevice& m_device;
    char m_buffer[kPiece];
    qint64 m_at = 0;
    qint64 m_size = 0;
};

bool isFrame(int marker)
{
    // SOF0 to SOF15, but for DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
}

bool standsAlone(int marker)
{
    return (marker >= 0xd0 && marker <= 0xd7) || marker == 0x01; // RSTn, TEM
}

// A PDF's JPEG stream may end with a line end or zeros of padding.
bool isPadding(int byte)
{
    return byte == 0x00 || byte == '\n' || byte == '\r' || byte == ' ' || byte == '\t';
}

} // namespace

Verdict examine(QIODevice& device)
{
    Reader in(device);
    Verdict verdict;
    const auto cutShort = [&verdict] {
        verdict.kind = Verdict::CutShort;
        return verdict;
    };
    const auto malformed = [&verdict] {
        verdict.kind = Verdict::Malformed;
        return verdict;
    };
    const int first = in.next();
    const int second = in.next();
    if (first < 0 || (first == 0xff && second < 0))
        return cutShort();
    if (first != 0xff || second != 0xd8)
        return malformed();
    bool haveFrame = false;
    bool haveScan = false;
    int marker = -1; // a marker already read, by the scan data before it
    for (;;) {
        if (marker < 0) {
            const int mark = in.next();
            if (mark < 0)
                return cutShort();
            if (mark != 0xff)
                return malformed();
            do
                marker = in.next();
            while (marker == 0xff);
            if (marker < 0)
                return cutShort();
        }
        const int current = marker;
        marker = -1;
        if (current == 0xd9)
            break;
        if (current == 0xd8 || current == 0x00)
            return malformed();
        if (standsAlone(current))
            continue;
        const int high = in.next();
        const int low = in.next();
        if (low < 0)
            return cutShort();
        const int length = high << 8 | low;
        if (length < 2)
            return malformed();
        if (isFrame(current)) {
            if (length < 8)
                return malformed();
            int header[5];
            for (int& byte : header)
                if ((byte = in.next()) < 0)
                    return cutShort();
            if (!haveFrame) {
                verdict.height = header[1] << 8 | header[2];
                verdict.width = header[3] << 8 | header[4];
            }
            haveFrame = true;
            if (!in.skip(length - 7))
                return cutShort();
            continue;
        }
        if (!in.skip(length - 2))
            return cutShort();
        if (current != 0xda)
            continue;
        if (!haveFrame)
            return malformed();
        haveScan = true;
        // The scan's data runs to the first marker that is neither a stuffed
        // 0xFF nor a restart.
        for (;;) {
            if (!in.toNextFF())
                return cutShort();
            int next = in.next();
            while (next == 0xff)
                next = in.next();
            if (next < 0)
                return cutShort();
            if (next != 0x00 && !standsAlone(next)) {
                marker = next;
                break;
            }
        }
    }
    if (!haveScan)
        return malformed();
    constexpr int kMostPadding = 64 * 1024;
    int padding = 0;
    for (int byte = in.next(); byte >= 0; byte = in.next())
        if (!isPadding(byte) || ++padding > kMostPadding)
            return malformed();
    verdict.kind = Verdict::Whole;
    return verdict;
}

} // namespace WholeJpeg
