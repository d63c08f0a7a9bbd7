// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The rules for the text of the output folder box, on any text: either a
// problem or a full path that ends with a separator and names the folder
// the text names (the home folder for a leading "~"), nothing else.
#include "util/OutputFolder.h"
#include "util/Platform.h"

#include <QDir>

#include <cstdlib>

namespace {

bool isSeparator(QChar c)
{
    return c == Platform::separator() || c == QLatin1Char('/');
}

// The path with every run of separators made one separator.
QString plain(const QString& path)
{
    QString result;
    for (const QChar c : path)
        if (!isSeparator(c) || result.isEmpty() || !isSeparator(result.back()))
            result += isSeparator(c) ? Platform::separator() : c;
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const OutputFolder::Resolved resolved = OutputFolder::resolve(text);
    if (resolved.folder.isEmpty() == resolved.problem.isEmpty())
        std::abort();
    if (!resolved.problem.isEmpty())
        return 0;
    const QString& folder = resolved.folder;
    if (!isSeparator(folder.back()) || !QDir::isAbsolutePath(folder) || folder.startsWith(QLatin1Char(':')))
        std::abort();
    // The folder the text names: without white space at its end, with "~"
    // for the home folder, ending with a separator.
    QString named = text;
    while (!named.isEmpty() && named.back().isSpace())
        named.chop(1);
    if (named.startsWith(QLatin1Char('~')) && (named.size() == 1 || isSeparator(named.at(1))))
        named = QDir::toNativeSeparators(QDir::homePath()) + Platform::separator() + named.mid(2);
    if (plain(folder) != plain(named + Platform::separator()))
        std::abort();
    return 0;
}
