// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The reader of the extractor's list on any bytes: what it reads is a list
// numbered from 0 whose entries make sense, which reads the same with the
// line ends of another system and when written out afresh.
#include "extract/ExtractorList.h"

#include <cstdlib>
#include <cstring>

namespace {

using Entry = ExtractorList::Entry;

bool same(const Entry& a, const Entry& b)
{
    return a.page == b.page && a.kind == b.kind && a.width == b.width && a.height == b.height
           && a.components == b.components && a.bitsPerComponent == b.bitsPerComponent && a.jpeg == b.jpeg
           && a.object == b.object && a.generation == b.generation;
}

bool same(const std::optional<ExtractorList>& a, const std::optional<ExtractorList>& b)
{
    if (a.has_value() != b.has_value() || (a && a->size() != b->size()))
        return false;
    for (qsizetype n = 0; a && n < a->size(); ++n)
        if (!same(*a->entry(n), *b->entry(n)))
            return false;
    return true;
}

// The list as the extractor would write it.
QByteArray written(const ExtractorList& list)
{
    QByteArray text = "page   num  type   width height color comp bpc  enc interp  object ID x-ppi y-ppi size ratio\n"
                      "----------------------------------------------------------------------------------------\n";
    for (qsizetype n = 0; n < list.size(); ++n) {
        const Entry& e = *list.entry(n);
        text += QByteArray::number(e.page) + ' ' + QByteArray::number(n) + ' ' + e.kindName() + ' '
                + QByteArray::number(e.width) + ' ' + QByteArray::number(e.height) + " rgb "
                + QByteArray::number(e.components) + ' ' + QByteArray::number(e.bitsPerComponent)
                + (e.jpeg ? " jpeg no " : " image no ")
                + (e.hasObject() ? QByteArray::number(e.object) + ' ' + QByteArray::number(e.generation)
                                 : QByteArray("[inline]"))
                + " 72 72 1K 10%\n";
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray output(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<ExtractorList> list = ExtractorList::parse(output);
    if (!same(list, ExtractorList::parse(QByteArray(output).replace("\n", "\r\n"))))
        std::abort();
    if (!list)
        return 0;
    if (list->entry(-1) || list->entry(list->size()))
        std::abort();
    for (qsizetype n = 0; n < list->size(); ++n) {
        const Entry* e = list->entry(n);
        const char* kind = e ? e->kindName() : "";
        if (!e || e->page < 0 || e->width < 1 || e->height < 1 || e->object < 0
            || (!e->hasObject() && e->generation != 0)
            || (std::strcmp(kind, "image") && std::strcmp(kind, "mask") && std::strcmp(kind, "smask")
                && std::strcmp(kind, "stencil")))
            std::abort();
    }
    if (!same(list, ExtractorList::parse(written(*list))))
        std::abort();
    return 0;
}
