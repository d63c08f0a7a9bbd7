// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExtractorList.h"

#include <QByteArrayView>

#include <limits>

namespace {

// A whole number of the list, or nothing.
std::optional<int> number(QByteArrayView word)
{
    bool ok = false;
    const qlonglong value = word.toLongLong(&ok);
    if (!ok || value < 0 || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

std::optional<ExtractorList::Entry::Kind> kind(QByteArrayView word)
{
    using Entry = ExtractorList::Entry;
    if (word == "image")
        return Entry::Image;
    if (word == "mask")
        return Entry::Mask;
    if (word == "smask")
        return Entry::SoftMask;
    if (word == "stencil")
        return Entry::Stencil;
    return std::nullopt;
}

// The most bytes a size of the list ("8232B", "12.3K", "1.2M") can stand
// for, its rounding included; 0 for anything else.
qint64 mostBytes(QByteArrayView word)
{
    if (word.size() < 2)
        return 0;
    const char unit = word.back();
    const qint64 scale = unit == 'B' ? 1 : unit == 'K' ? 1024 : unit == 'M' ? 1024 * 1024 : unit == 'G' ? 1 << 30 : 0;
    bool ok = false;
    const double value = word.chopped(1).toDouble(&ok);
    if (!ok || scale == 0 || value < 0 || value > 1e12)
        return 0;
    return scale == 1 ? qint64(value) : qint64((value + 0.1) * double(scale));
}

QList<QByteArrayView> words(QByteArrayView line)
{
    QList<QByteArrayView> words;
    qsizetype at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r'))
            ++at;
        const qsizetype start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t' && line[at] != '\r')
            ++at;
        if (at > start)
            words.append(line.sliced(start, at - start));
    }
    return words;
}

// One line of the list: page, number, kind, width, height, colour, components,
// bits, encoding, interpolation, then the object as "number generation", or a
// single "[inline]" or "[none]"; the columns after it are not needed.
std::optional<ExtractorList::Entry> parseEntry(QByteArrayView line, int expectedNumber)
{
    const QList<QByteArrayView> w = words(line);
    if (w.size() < 11)
        return std::nullopt;
    ExtractorList::Entry entry;
    const std::optional<int> page = number(w[0]);
    const std::optional<int> n = number(w[1]);
    const std::optional<ExtractorList::Entry::Kind> k = kind(w[2]);
    const std::optional<int> width = number(w[3]);
    const std::optional<int> height = number(w[4]);
    const std::optional<int> components = number(w[6]);
    const std::optional<int> bits = number(w[7]);
    if (!page || n != expectedNumber || !k || !width || !height || !components || !bits || *width < 1 || *height < 1)
        return std::nullopt;
    if (w[9] != "yes" && w[9] != "no")
        return std::nullopt;
    entry.page = *page;
    entry.kind = *k;
    entry.width = *width;
    entry.height = *height;
    entry.components = *components;
    entry.bitsPerComponent = *bits;
    entry.jpeg = w[8] == "jpeg";
    // The size is the last column but the ratio.
    entry.mostStreamBytes = w.size() > 12 ? mostBytes(w[w.size() - 2]) : 0;
    if (w[10] == "[inline]" || w[10] == "[none]")
        return entry;
    const std::optional<int> object = number(w[10]);
    const std::optional<int> generation = w.size() > 11 ? number(w[11]) : std::nullopt;
    if (!object || *object < 1 || !generation)
        return std::nullopt;
    entry.object = *object;
    entry.generation = *generation;
    return entry;
}

} // namespace

bool ExtractorList::Entry::blackAndWhite() const
{
    return kind == Stencil || kind == Mask || (components == 1 && bitsPerComponent == 1);
}

const char* ExtractorList::Entry::kindName() const
{
    switch (kind) {
    case Mask:
        return "mask";
    case SoftMask:
        return "smask";
    case Stencil:
        return "stencil";
    case Image:
        break;
    }
    return "image";
}

std::optional<ExtractorList> ExtractorList::parse(const QByteArray& output)
{
    QList<QByteArrayView> lines;
    for (QByteArrayView rest(output); !rest.isEmpty();) {
        const qsizetype end = rest.indexOf('\n');
        lines.append(end < 0 ? rest : rest.first(end));
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
    }
    // A heading line and a rule of dashes come first.
    if (lines.size() < 2 || !lines[0].trimmed().startsWith("page") || !lines[1].startsWith("---"))
        return std::nullopt;
    ExtractorList list;
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty())
            continue;
        const std::optional<Entry> next = parseEntry(lines[i], int(list.m_entries.size()));
        if (!next)
            return std::nullopt;
        list.m_entries.append(*next);
    }
    return list;
}

const ExtractorList::Entry* ExtractorList::entry(qsizetype n) const
{
    return n >= 0 && n < m_entries.size() ? &m_entries.at(n) : nullptr;
}
