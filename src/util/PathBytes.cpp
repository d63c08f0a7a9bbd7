// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PathBytes.h"

#include <QFile>

namespace PathBytes {

bool isText(const QByteArray& bytes)
{
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

namespace {

// The length of the UTF-8 sequence at the start of bytes, or 0 when it is
// none: no overlong forms, no surrogates, nothing past U+10FFFF.
qsizetype sequenceAt(const QByteArray& bytes, qsizetype at)
{
    const auto byte = [&bytes](qsizetype i) { return i < bytes.size() ? uchar(bytes.at(i)) : 0; };
    const uchar lead = byte(at);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    uchar low = 0x80;
    uchar high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xbf)
            return 0;
    return length;
}

} // namespace

bool isUtf8(const QByteArray& bytes)
{
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = sequenceAt(bytes, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

QString escaped(const QByteArray& bytes)
{
    QString text;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = sequenceAt(bytes, at);
        if (length == 0) {
            text += QStringLiteral("\\x%1").arg(uchar(bytes.at(at)), 2, 16, QLatin1Char('0'));
            ++at;
        } else {
            text += QString::fromUtf8(bytes.constData() + at, length);
            at += length;
        }
    }
    return text;
}

QString problemLine(const QByteArray& bytes)
{
    return QStringLiteral("%1: the path is not valid UTF-8, so it was passed over.").arg(escaped(bytes));
}

} // namespace PathBytes
