// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Manifest.h"

#include "util/Platform.h"

#include <QFileInfo>

namespace {

QByteArray field(const QString& text)
{
    // Where the backslash separates folders, no name can hold a tab or a line
    // end, and the path is written as it is.
    if (Platform::separator() == QLatin1Char('\\'))
        return text.toUtf8();
    QByteArray escaped;
    for (const char c : text.toUtf8()) {
        if (c == '\t')
            escaped += "\\t";
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '\r')
            escaped += "\\r";
        else if (c == '\\')
            escaped += "\\\\";
        else
            escaped += c;
    }
    return escaped;
}

QByteArray known(int value)
{
    return value > 0 ? QByteArray::number(value) : QByteArray();
}

} // namespace

bool Manifest::open(const QString& path)
{
    const bool opened = path == QLatin1String("-") ? m_file.open(stdout, QIODevice::WriteOnly)
                                                   : (m_file.setFileName(path), m_file.open(QIODevice::WriteOnly));
    if (!opened)
        return false;
    m_file.write(heading());
    return m_file.flush();
}

void Manifest::add(const ExtractHost::SavedImage& image)
{
    if (!m_file.isOpen())
        return;
    // Line by line: an interrupted run still has a true record of what it saved.
    m_file.write(line(image));
    m_file.flush();
}

QByteArray Manifest::heading()
{
    return "file\tsource\tpage\tindex\twidth\theight\tkind\tsaved\n";
}

QByteArray Manifest::line(const ExtractHost::SavedImage& image)
{
    return field(QFileInfo(image.jpeg).fileName()) + '\t' + field(image.source) + '\t' + known(image.page) + '\t'
           + QByteArray::number(image.index) + '\t' + known(image.width) + '\t' + known(image.height) + '\t'
           + field(image.kind) + '\t' + (image.kept ? "kept" : "encoded") + '\n';
}
