// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ImagePipeline.h"

#include "BackgroundWork.h"
#include "ExtractRun.h"
#include "ExtractorOutput.h"
#include "ImageNumbers.h"
#include "PbmToPgm.h"
#include "WholeJpeg.h"
#include "util/Main.h"
#include "util/Platform.h"
#include "util/ShortFilename.h"
#include "util/Trim1.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <limits>
#include <numeric>

namespace {

constexpr int kExtractor = 0; // the first program of a PDF is its extractor
constexpr int kLister = 1;    // and the second, its list of the images

bool isJpegOf(const QString& path, int width, int height)
{
    QFile file;
    if (!Platform::openPlainFile(file, path))
        return false;
    const WholeJpeg::Verdict verdict = WholeJpeg::examine(file);
    return verdict.kind == WholeJpeg::Verdict::Whole && verdict.width == width && verdict.height == height;
}

// Room for a JPEG file's headers beyond twice its image's size.
constexpr quint64 kLargestJpegMargin = 1024 * 1024;

// Inline images are small as a rule; a larger one is read on a thread of its
// own so the window keeps answering.
constexpr qint64 kDigestInPlace = 1024 * 1024;

QByteArray digestOf(const QString& path, Shell32::Stopper& stopper)
{
    QByteArray digest;
    const auto work = [&](const std::atomic_bool&) {
        QFile file(path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
            return false;
        digest = hash.result();
        return true;
    };
    if (QFileInfo(path).size() <= kDigestInPlace)
        work(std::atomic_bool{false});
    else
        BackgroundWork::run(work, &stopper);
    return digest;
}

} // namespace

int ImagePipeline::Result::leftOutTotal() const
{
    return std::accumulate(std::begin(leftOut), std::end(leftOut), 0);
}

ImagePipeline::ImagePipeline(ExtractHost& host, ImageNumbers& numbers, Shell32::Stopper& stopper, const bool& abandoned)
    : m_host(host)
    , m_numbers(numbers)
    , m_stopper(stopper)
    , m_abandoned(abandoned)
{
}

ImagePipeline::Result ImagePipeline::run(const QString& input, const QString& extractor, const QString& encoder,
                                         const QString& imageFolder, ExtractorOutput& output)
{
    m_output = &output;
    m_input = input;
    m_extractor = extractor;
    m_encoder = encoder;
    m_jpegFolder = ShortFilename::GetShortName(imageFolder);
    if (m_jpegFolder.isEmpty())
        m_jpegFolder = imageFolder; // never the process's current folder
    m_extractorRunning = true;
    m_listRunning = m_readList;
    m_list.reset();
    m_selection.emplace(m_choices);
    m_done = 0;
    m_images.clear();
    m_result = Result();

    m_numbers.setNotes(output.folder());
    output.setTakesJpeg(m_choices.keepJpeg);
    // New images are learnt of from the system's notices, the extractor's end
    // from its own signal. Without notices, images are taken up at its end.
    Shell32::Waker waker;
    if (m_pipelined)
        output.watch([&waker] { waker.wake(); });
    Shell32::runWhenReady(
        qMax(1, m_atOnce), [this](int index) { return next(index); },
        [this](int index, const Shell32::Outcome& outcome) { finished(index, outcome); }, Shell32::WindowStyle::Hidden,
        &m_stopper, &waker);
    m_output = nullptr;
    m_selection.reset();
    return m_result;
}

Shell32::Next ImagePipeline::next(int index)
{
    using Shell32::Next;
    // Every program's home is the run's work folder, where it can write
    // nothing: the extractor writes only in its own folder inside it.
    const Confinement confinement = m_confinement.inWorkFolder(m_output->folder());
    if (index == kExtractor) {
        QStringList arguments{ExtractRun::safeArgument(m_input), m_output->prefix()};
        if (m_choices.keepJpeg)
            arguments.prepend(QStringLiteral("-j"));
        return {Next::Start,
                {m_extractor, arguments, false, confinement.reading({m_input}).writing({m_output->extractorFolder()})}};
    }
    if (index == kLister) {
        if (!m_readList)
            return {Next::Skip, {}};
        return {Next::Start,
                {m_extractor,
                 {QStringLiteral("-list"), ExtractRun::safeArgument(m_input)},
                 /*keepOutput*/ true,
                 confinement.reading({m_input})}};
    }
    if (m_abandoned)
        return {Next::Done, {}};
    // Nothing is decided of an image before its entry in the list is known.
    if ((!m_pipelined && m_extractorRunning) || m_listRunning)
        return {Next::Wait, {}};
    return nextImage(index);
}

Shell32::Next ImagePipeline::nextImage(int index)
{
    using Shell32::Next;
    const ExtractorOutput::Image image = m_output->nextImage(!m_extractorRunning);
    switch (image.kind) {
    case ExtractorOutput::Image::NotYet:
        return {Next::Wait, {}};
    case ExtractorOutput::Image::NoMore:
        return {Next::Done, {}};
    case ExtractorOutput::Image::CutShort:
        // Never handed on: the encoder would make a broken JPEG of it, or none.
        ++m_result.cutShort;
        Main::DeleteQuietly(image.path);
        done();
        return {Next::Skip, {}};
    case ExtractorOutput::Image::Refused:
        ++m_result.refused;
        Main::DeleteQuietly(image.path);
        done();
        return {Next::Skip, {}};
    case ExtractorOutput::Image::Finished:
        break;
    }
    // No image is larger than the largest its list names.
    if (qint64(image.width) * image.height > mostPixels()) {
        ++m_result.refused;
        Main::DeleteQuietly(image.path);
        done();
        return {Next::Skip, {}};
    }
    ++m_result.whole;
    const ExtractorList::Entry* entry = m_selection->entryFor(image.number, image.path, image.width, image.height);
    if (leaveOut(entry, image.path))
        return {Next::Skip, {}};
    ExtractHost::SavedImage saved;
    saved.index = image.number;
    saved.width = entry ? entry->width : image.width;
    saved.height = entry ? entry->height : image.height;
    if (entry) {
        saved.page = entry->page;
        saved.kind = QString::fromLatin1(entry->kindName());
    }
    if (image.path.endsWith(QLatin1String(".jpg"))) {
        saved.kept = true;
        keep(image.path, saved);
        return {m_abandoned ? Next::Done : Next::Skip, {}};
    }
    if (std::optional<Shell32::Command> command = prepare(index, image, saved))
        return {Next::Start, *command};
    return {m_abandoned ? Next::Done : Next::Skip, {}};
}

bool ImagePipeline::leaveOut(const ExtractorList::Entry* entry, const QString& path)
{
    if (!m_choices.leavesOut() || !entry)
        return false;
    const std::optional<ImageSelection::Reason> reason =
        m_selection->leaveOut(*entry, [&] { return digestOf(path, m_stopper); });
    if (!reason)
        return false;
    ++m_result.leftOut[*reason];
    Main::DeleteQuietly(path);
    done();
    return true;
}

void ImagePipeline::keep(const QString& path, ExtractHost::SavedImage saved)
{
    m_host.setMousePointer(Pointer::Hourglass);
    const QString taken = takeJpeg(path, saved);
    Main::DeleteQuietly(path);
    if (taken.isEmpty()) {
        ++m_result.refused;
        done();
        return;
    }
    const QString jpeg = m_numbers.claim(m_jpegFolder);
    // The claimed file is replaced by the image in one step.
    const bool moved = !jpeg.isEmpty() && Platform::replaceFile(taken, jpeg);
    if (jpeg.isEmpty())
        m_result.unclaimed.add(why(m_numbers.why()));
    else if (!moved)
        m_result.unmoved.add(why(qt_error_string()));
    if (!jpeg.isEmpty())
        m_numbers.finish(jpeg, moved);
    if (moved) {
        ++m_result.kept;
        saved.jpeg = jpeg;
        if (m_onSaved)
            m_onSaved(saved);
    } else {
        Main::DeleteQuietly(taken);
    }
    done();
}

QString ImagePipeline::takeJpeg(const QString& path, const ExtractHost::SavedImage& saved)
{
    // Its frame has the size the list gives, and the file no more bytes
    // than its stream, where there is a list.
    const ExtractorList::Entry* listed = m_list ? m_list->entry(saved.index) : nullptr;
    if (m_list && (!listed || !listed->jpeg))
        return QString();
    QFile file;
    int links = 0;
    if (!Platform::openPlainFile(file, path, &links)
        || (listed && listed->mostStreamBytes > 0 && file.size() > listed->mostStreamBytes))
        return QString();
    // Once the extractor has ended, its file moves; while it runs, the
    // extractor might still write it through a name of its own, so only a
    // copy is taken. Either way the file checked is the one saved.
    const QString taken = m_output->folder() + QStringLiteral("kept-%1.jpg").arg(saved.index);
    bool ok = false;
    if (!m_extractorRunning && links == 1) {
        ok = QFile::rename(path, taken);
    } else {
        QFile copy(taken);
        ok = copy.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        QByteArray piece;
        while (ok && !(piece = file.read(1024 * 1024)).isEmpty())
            ok = copy.write(piece) == piece.size();
        ok = ok && copy.flush();
    }
    file.close();
    QFile check;
    const bool whole = ok && Platform::openPlainFile(check, taken) && [&] {
        const WholeJpeg::Verdict verdict = WholeJpeg::examine(check);
        return verdict.kind == WholeJpeg::Verdict::Whole
               && (!listed || (verdict.width == listed->width && verdict.height == listed->height));
    }();
    if (!whole) {
        Main::DeleteQuietly(taken);
        return QString();
    }
    return taken;
}

std::optional<Shell32::Command> ImagePipeline::prepare(int index, const ExtractorOutput::Image& listed,
                                                       const ExtractHost::SavedImage& saved)
{
    // The pointer may have been reset meanwhile; the window gets a turn.
    m_host.setMousePointer(Pointer::Hourglass);
    QCoreApplication::processEvents();
    if (m_abandoned)
        return std::nullopt;
    Image& image = m_images[index];
    image.listed = listed.path;
    image.width = listed.width;
    image.height = listed.height;
    image.saved = saved;
    image.jpeg = m_numbers.claim(m_jpegFolder);
    bool ready = !image.jpeg.isEmpty();
    if (!ready)
        m_result.unclaimed.add(why(m_numbers.why()));
    ready = ready && makeNumberedCopy(image);
    if (m_abandoned)
        return std::nullopt;
    if (!ready) {
        m_numbers.finish(image.jpeg, false);
        forget(image);
        m_images.remove(index);
        done();
        return std::nullopt;
    }
    // A JPEG file is never much larger than the image it holds.
    const quint64 largest = 2 * quint64(QFileInfo(image.numbered).size()) + kLargestJpegMargin;
    return Shell32::Command{
        m_encoder,
        {QStringLiteral("-outfile"), ExtractRun::safeArgument(image.jpeg), ExtractRun::safeArgument(image.numbered)},
        false,
        m_confinement.inWorkFolder(m_output->folder())
            .reading({image.numbered})
            .writing({image.jpeg})
            .withFileSizeLimit(largest)};
}

bool ImagePipeline::makeNumberedCopy(Image& image)
{
    const bool blackAndWhite = image.listed.endsWith(QLatin1String(".pbm"), Qt::CaseInsensitive);
    image.numbered = m_output->folder() + Trim1::StripExtension(Trim1::FileNamePart(image.jpeg))
                     + (blackAndWhite ? QStringLiteral(".pgm") : image.listed.right(4));
    if (blackAndWhite) {
        // The encoder reads no 1-bit images: it gets them as grey, converted
        // on a thread of its own since a page can run to gigabytes.
        QString systemWord;
        const qint64 most = mostPixels();
        const auto convert = [&image, &systemWord, most](const std::atomic_bool& stop) {
            return PbmToPgm::convert(
                image.listed, image.numbered, [&stop] { return !stop; }, &systemWord, most);
        };
        const bool converted = BackgroundWork::run(convert, &m_stopper);
        if (!converted && !m_abandoned)
            m_result.unconverted.add(why(systemWord));
        return converted;
    }
    // Any other image only changes its name, with no data copied.
    QFile file(image.listed);
    if (!file.rename(image.numbered)) {
        m_result.unmoved.add(why(file.errorString()));
        return false;
    }
    image.listed.clear(); // nothing is left there to remove
    return true;
}

void ImagePipeline::finished(int index, const Shell32::Outcome& outcome)
{
    if (index == kExtractor) {
        m_result.extracted = outcome;
        m_extractorRunning = false;
        return;
    }
    if (index == kLister) {
        listed(outcome);
        return;
    }
    Image image = m_images.take(index);
    // No empty, partial or foreign file stays behind: what the encoder made
    // is a whole JPEG file of the image's size.
    const bool made = outcome.result == 0 && isJpegOf(image.jpeg, image.width, image.height);
    const QString loaderWords = ExtractRun::loaderWords(outcome.result, outcome.errorOutput);
    if (outcome.result == Shell32::startErrorResult(Shell32::StartError::NotConfined))
        m_result.notConfined.add(QString::fromLocal8Bit(outcome.errorOutput));
    else if (!loaderWords.isEmpty())
        m_result.notLoaded.add(loaderWords);
    else if (made)
        ++m_result.encoded;
    else
        ++m_result.encoderFailed;
    m_numbers.finish(image.jpeg, made);
    if (made && m_onSaved) {
        image.saved.jpeg = image.jpeg;
        m_onSaved(image.saved);
    }
    forget(image);
    done();
}

void ImagePipeline::listed(const Shell32::Outcome& outcome)
{
    m_listRunning = false;
    if (outcome.result == 0 && !outcome.outputCut)
        m_list = ExtractorList::parse(outcome.output);
    if (!m_list) {
        // Nothing tells how far the PDF has come.
        if (m_onProgress)
            m_onProgress(0, 0);
        return;
    }
    m_selection->setList(&*m_list);
    m_mostPixels = 0;
    for (qsizetype n = 0; n < m_list->size(); ++n)
        m_mostPixels = qMax(m_mostPixels, qint64(m_list->entry(n)->width) * m_list->entry(n)->height);
    m_result.listed = m_list->size();
    if (m_onProgress)
        m_onProgress(m_done, m_list->size());
}

void ImagePipeline::forget(const Image& image)
{
    Main::DeleteQuietly(image.listed);
    Main::DeleteQuietly(image.numbered);
}

void ImagePipeline::done()
{
    ++m_done;
    if (m_onProgress && m_list)
        m_onProgress(m_done, m_list->size());
}

qint64 ImagePipeline::mostPixels() const
{
    return m_list ? m_mostPixels : std::numeric_limits<qint64>::max();
}

QString ImagePipeline::why(const QString& systemWord) const
{
    // Nearly no room left: whatever the system said, the disk is full.
    constexpr qint64 kNearlyFull = 1024 * 1024;
    const QStorageInfo storage(m_output ? m_output->folder() : m_jpegFolder);
    if (storage.isValid() && storage.bytesAvailable() < kNearlyFull)
        return QStringLiteral("the disk is full");
    return systemWord.isEmpty() ? QStringLiteral("unknown error") : systemWord;
}
