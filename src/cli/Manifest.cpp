// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Manifest.h"

#include "util/Platform.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

Manifest::Manifest() = default;

Manifest::~Manifest() = default;

bool Manifest::open(const QString& path)
{
    m_path = path;
    if (toStandardOutput()) {
        auto out = std::make_unique<QFile>();
        if (!out->open(stdout, QIODevice::WriteOnly)) {
            m_why = out->errorString();
            return false;
        }
        m_file = std::move(out);
    } else {
        auto file = std::make_unique<QSaveFile>(path);
        if (!file->open(QIODevice::WriteOnly)) {
            m_why = file->errorString();
            return false;
        }
        m_file = std::move(file);
    }
    const QByteArray first = heading();
    return (m_file->write(first) == first.size() && m_file->flush()) || fail();
}

bool Manifest::add(const ExtractHost::SavedImage& image)
{
    if (!m_file)
        return false;
    // Line by line: a run stops at once when it cannot be written, and an
    // interrupted run still has a true record of what it saved.
    const QByteArray text = line(image);
    return (m_file->write(text) == text.size() && m_file->flush()) || fail();
}

bool Manifest::commit()
{
    if (!m_file)
        return false;
    auto* file = dynamic_cast<QSaveFile*>(m_file.get());
    if (!file)
        return m_file->flush() || fail();
    // A file that appeared under the name during the run (one of the run's
    // own JPEG files, say) is no manifest, and stays.
    if (QFileInfo::exists(m_path) && !isManifest(m_path)) {
        m_why = QStringLiteral("a file that is not a manifest took its name meanwhile");
        discard();
        return false;
    }
    const bool committed = file->commit();
    if (!committed)
        m_why = file->errorString();
    m_file.reset();
    return committed;
}

bool Manifest::fail()
{
    // A write cut short by a full disk says nothing of why; the next one
    // gets the system's word for it.
    m_file->flush();
    m_why = m_file->errorString();
    discard();
    return false;
}

void Manifest::discard()
{
    if (auto* file = dynamic_cast<QSaveFile*>(m_file.get()))
        file->cancelWriting();
    m_file.reset();
}

bool Manifest::isManifest(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(heading().size()) == heading();
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
