// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The rule for a whole JPEG file on any bytes: it must not crash, overflow or
// hang, and what it calls whole must stay so only while nothing is cut off
// its end mark or put after it.
#include "extract/WholeJpeg.h"

#include <QBuffer>

#include <cstdlib>

namespace {

WholeJpeg::Verdict examine(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return WholeJpeg::examine(buffer);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const WholeJpeg::Verdict verdict = examine(bytes);
    if (verdict.kind != WholeJpeg::Verdict::Whole)
        return 0;
    if (!bytes.startsWith("\xff\xd8") || verdict.width < 0 || verdict.height < 0)
        std::abort();
    // Anything but padding after it, and it is whole no more.
    if (examine(bytes + "<").kind != WholeJpeg::Verdict::Malformed)
        std::abort();
    // Nor is it without its end mark.
    const qsizetype end = bytes.lastIndexOf("\xff\xd9");
    if (end < 0 || examine(bytes.left(end)).kind == WholeJpeg::Verdict::Whole)
        std::abort();
    return 0;
}
