// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExtractorOutput.h"

#include "NetpbmHeader.h"
#include "StaleWork.h"
#include "WholeJpeg.h"
#include "util/AddFolder.h"
#include "util/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLockFile>
#include <QPointer>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QString kPrefix = QStringLiteral("image");
const QString kExtractorFolder = QStringLiteral("extractor");

// One watcher for every folder watched: each watcher is a notice channel of
// the system's, of which a user has few, and closing one waits for the
// system, for milliseconds, on the thread that runs every program.
QFileSystemWatcher* sharedWatcher()
{
    static QPointer<QFileSystemWatcher> watcher;
    if (!watcher)
        watcher = new QFileSystemWatcher(QCoreApplication::instance());
    return watcher;
}

} // namespace

ExtractorOutput::ExtractorOutput(const QString& imageFolder)
    : m_dir(imageFolder + QStringLiteral(".orvalin-XXXXXX"))
{
    if (m_dir.isValid()) {
        Platform::hideFile(m_dir.path());
        m_owner = StaleWork::own(m_dir.path());
        m_extractorFolderMade = QDir(m_dir.path()).mkdir(kExtractorFolder);
    }
}

ExtractorOutput::~ExtractorOutput()
{
    unwatch();
}

QString ExtractorOutput::folder() const
{
    return QDir::toNativeSeparators(m_dir.path()) + Platform::separator();
}

QString ExtractorOutput::extractorFolder() const
{
    return folder() + kExtractorFolder + Platform::separator();
}

QString ExtractorOutput::prefix() const
{
    return extractorFolder() + kPrefix;
}

bool ExtractorOutput::watch(std::function<void()> changed)
{
    unwatch();
    QFileSystemWatcher* watcher = sharedWatcher();
    const QString folder = QDir(m_dir.path()).filePath(kExtractorFolder);
    if (!watcher || !watcher->addPath(folder))
        return false;
    m_watched = folder;
    m_notices = QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, watcher,
                                 [folder, changed = std::move(changed)](const QString& path) {
                                     if (path == folder)
                                         changed();
                                 });
    return true;
}

void ExtractorOutput::unwatch()
{
    if (m_watched.isEmpty())
        return;
    QObject::disconnect(m_notices);
    if (QFileSystemWatcher* watcher = sharedWatcher())
        watcher->removePath(m_watched);
    m_watched.clear();
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
            for (const QString& file : AddFolder::ListFiles(extractorFolder(), QStringLiteral("image-*")))
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
    const Shape shape = examine(path, m_takesJpeg);
    if (!extractorEnded && shape.kind == Shape::CutShort)
        return {Image::NotYet, QString()};
    const int number = m_next++;
    const Image::Kind kinds[] = {Image::Finished, Image::CutShort, Image::Refused};
    return {kinds[shape.kind], path, number, shape.width, shape.height};
}

bool ExtractorOutput::isWhole(const QString& path)
{
    return examine(path, true).kind == Shape::Whole;
}

ExtractorOutput::Shape ExtractorOutput::examine(const QString& path, bool takesJpeg)
{
    QFile file;
    int links = 0;
    if (!Platform::openPlainFile(file, path, &links) || links != 1)
        return {};
    if (path.endsWith(QLatin1String(".jpg"))) {
        if (!takesJpeg)
            return {};
        const WholeJpeg::Verdict verdict = WholeJpeg::examine(file);
        if (verdict.kind == WholeJpeg::Verdict::Malformed)
            return {};
        return {verdict.kind == WholeJpeg::Verdict::Whole ? Shape::Whole : Shape::CutShort, verdict.width,
                verdict.height};
    }
    // The kind its name gives is the kind its header gives.
    const char kind = path.endsWith(QLatin1String(".pbm")) ? '4' : path.endsWith(QLatin1String(".pgm")) ? '5' : '6';
    const std::optional<NetpbmHeader> header = NetpbmHeader::read(file);
    if (!header || header->kind != kind || file.size() > header->fileSize())
        return {};
    return {file.size() == header->fileSize() ? Shape::Whole : Shape::CutShort, int(header->width),
            int(header->height)};
}

void ExtractorOutput::remove()
{
    unwatch();
    m_owner.reset();
    m_dir.remove();
}
