// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: LicenseRef-proprietary

#include "ExtractorOutput.h"

#include "NetpbmHeader.h"
#include "util/AddFolder.h"
#include "util/Platform.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QString kPrefix = QStringLiteral("image");

} // namespace

ExtractorOutput::ExtractorOutput(const QString& imageFolder)
    : m_dir(imageFolder + QStringLiteral(".orvalin-XXXXXX"))
{
    if (m_dir.isValid())
        Platform::HideFile(m_dir.path());
}

QString ExtractorOutput::Folder() const
{
    return QDir::toNativeSeparators(m_dir.path()) + Platform::Separator();
}

QString ExtractorOutput::Prefix() const
{
    return Folder() + kPrefix;
}

bool ExtractorOutput::Watch(std::function<void()> changed)
{
    if (!m_watcher.addPath(m_dir.path()))
        return false;
    QObject::connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_watcher,
                     [changed = std::move(changed)] { changed(); });
    return true;
}

QString ExtractorOutput::Find(int n) const
{
    const QString stem = Prefix() + QLatin1Char('-') + QString::number(n).rightJustified(3, QLatin1Char('0'));
    for (const char* suffix : {".ppm", ".pbm", ".pgm"}) {
        const QString path = stem + QLatin1String(suffix);
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

ExtractorOutput::Image ExtractorOutput::NextImage(bool extractorEnded)
{
    QString path = Find(m_next);
    if (path.isEmpty()) {
        if (!extractorEnded)
            return {Image::NotYet, QString()};
        // An image the extractor could not write leaves a gap in its numbers.
        if (!m_swept) {
            m_swept = true;
            static const QRegularExpression name(QStringLiteral("^image-([0-9]+)\\.p[bgp]m$"));
            for (const QString& file : AddFolder::ListFiles(Folder(), QStringLiteral("image-*")))
                if (const QRegularExpressionMatch match = name.match(file); match.hasMatch())
                    if (const int n = match.captured(1).toInt(); n > m_next)
                        m_passedOver.append(n);
            std::sort(m_passedOver.begin(), m_passedOver.end());
        }
        while (path.isEmpty() && !m_passedOver.isEmpty()) {
            m_next = m_passedOver.takeFirst();
            path = Find(m_next);
        }
        if (path.isEmpty())
            return {Image::NoMore, QString()};
    }
    const bool whole = IsWhole(path);
    if (!extractorEnded && (!whole || Find(m_next + 1).isEmpty()))
        return {Image::NotYet, QString()};
    ++m_next;
    return {whole ? Image::Finished : Image::CutShort, path};
}

bool ExtractorOutput::IsWhole(const QString& path)
{
    const std::optional<NetpbmHeader> header = NetpbmHeader::ReadFile(path);
    return header && QFileInfo(path).size() == header->FileSize();
}

void ExtractorOutput::Remove()
{
    m_watcher.removePaths(m_watcher.directories());
    m_dir.remove();
}
