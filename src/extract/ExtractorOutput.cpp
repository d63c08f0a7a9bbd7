// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExtractorOutput.h"

#include "NetpbmHeader.h"
#include "StaleWork.h"
#include "util/AddFolder.h"
#include "util/Platform.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QString kPrefix = QStringLiteral("image");

} // namespace

ExtractorOutput::ExtractorOutput(const QString& imageFolder)
    : m_dir(imageFolder + QStringLiteral(".orvalin-XXXXXX"))
{
    if (m_dir.isValid()) {
        Platform::hideFile(m_dir.path());
        m_owner = StaleWork::own(m_dir.path());
    }
}

ExtractorOutput::~ExtractorOutput() = default;

QString ExtractorOutput::folder() const
{
    return QDir::toNativeSeparators(m_dir.path()) + Platform::separator();
}

QString ExtractorOutput::prefix() const
{
    return folder() + kPrefix;
}

bool ExtractorOutput::watch(std::function<void()> changed)
{
    if (!m_watcher.addPath(m_dir.path()))
        return false;
    QObject::connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_watcher,
                     [changed = std::move(changed)] { changed(); });
    return true;
}

QString ExtractorOutput::find(int n) const
{
    const QString stem = prefix() + QLatin1Char('-') + QString::number(n).rightJustified(3, QLatin1Char('0'));
    for (const char* suffix : {".ppm", ".pbm", ".pgm", ".jpg"}) {
        const QString path = stem + QLatin1String(suffix);
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

ExtractorOutput::Image ExtractorOutput::nextImage(bool extractorEnded)
{
    QString path = find(m_next);
    if (path.isEmpty()) {
        if (!extractorEnded)
            return {Image::NotYet, QString()};
        // An image the extractor could not write leaves a gap in its numbers.
        if (!m_swept) {
            m_swept = true;
            static const QRegularExpression name(QStringLiteral("^image-([0-9]+)\\.(?:p[bgp]m|jpg)$"));
            for (const QString& file : AddFolder::ListFiles(folder(), QStringLiteral("image-*")))
                if (const QRegularExpressionMatch match = name.match(file); match.hasMatch())
                    if (const int n = match.captured(1).toInt(); n > m_next)
                        m_passedOver.append(n);
            std::sort(m_passedOver.begin(), m_passedOver.end());
        }
        while (path.isEmpty() && !m_passedOver.isEmpty()) {
            m_next = m_passedOver.takeFirst();
            path = find(m_next);
        }
        if (path.isEmpty())
            return {Image::NoMore, QString()};
    }
    // While the extractor runs, an image may be the one it still writes,
    // until the next one is begun: no need to read it before then.
    if (!extractorEnded && find(m_next + 1).isEmpty())
        return {Image::NotYet, QString()};
    const Shape shape = examine(path);
    if (!extractorEnded && !shape.whole)
        return {Image::NotYet, QString()};
    const int number = m_next++;
    return {shape.whole ? Image::Finished : Image::CutShort, path, number, shape.width, shape.height};
}

bool ExtractorOutput::isWhole(const QString& path)
{
    return examine(path).whole;
}

ExtractorOutput::Shape ExtractorOutput::examine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    if (path.endsWith(QLatin1String(".jpg"))) {
        // A JPEG image ends with its end mark, which its coded data never
        // holds; a few bytes may follow it in the PDF's stream.
        constexpr qint64 kTail = 4096;
        if (file.read(2) != "\xff\xd8")
            return {};
        file.seek(qMax<qint64>(2, file.size() - kTail));
        return {file.readAll().contains("\xff\xd9"), 0, 0};
    }
    const std::optional<NetpbmHeader> header = NetpbmHeader::read(file);
    if (!header || file.size() != header->fileSize())
        return {};
    return {true, int(header->width), int(header->height)};
}

void ExtractorOutput::remove()
{
    m_watcher.removePaths(m_watcher.directories());
    m_owner.reset();
    m_dir.remove();
}
