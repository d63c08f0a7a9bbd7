// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: LicenseRef-proprietary

#include "ImagePipeline.h"

#include "BackgroundWork.h"
#include "ExtractRun.h"
#include "ExtractorOutput.h"
#include "ImageNumbers.h"
#include "PbmToPgm.h"
#include "util/Main.h"
#include "util/ShortFilename.h"
#include "util/Trim1.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kExtractor = 0; // the first program of a PDF is its extractor

bool nonEmptyFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() > 0;
}

} // namespace

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
    m_images.clear();
    m_result = Result();

    m_numbers.setNotes(output.folder());
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
    return m_result;
}

Shell32::Next ImagePipeline::next(int index)
{
    using Shell32::Next;
    if (index == kExtractor)
        return {Next::Start,
                {m_extractor,
                 {ExtractRun::safeArgument(m_input), m_output->prefix()},
                 m_confinement.reading({m_input}).writing({m_output->folder()})}};
    if (m_abandoned)
        return {Next::Done, {}};
    if (!m_pipelined && m_extractorRunning)
        return {Next::Wait, {}};
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
        return {Next::Skip, {}};
    case ExtractorOutput::Image::Finished:
        break;
    }
    ++m_result.whole;
    if (std::optional<Shell32::Command> command = prepare(index, image.path))
        return {Next::Start, *command};
    return {m_abandoned ? Next::Done : Next::Skip, {}};
}

std::optional<Shell32::Command> ImagePipeline::prepare(int index, const QString& listed)
{
    // The pointer may have been reset meanwhile; the window gets a turn.
    m_host.setMousePointer(Pointer::Hourglass);
    QCoreApplication::processEvents();
    if (m_abandoned)
        return std::nullopt;
    Image& image = m_images[index];
    image.listed = listed;
    image.jpeg = m_numbers.claim(m_jpegFolder);
    const bool ready = !image.jpeg.isEmpty() && makeNumberedCopy(image);
    if (m_abandoned)
        return std::nullopt;
    if (!ready) {
        ++m_result.failed;
        m_numbers.finish(image.jpeg, false);
        forget(image);
        m_images.remove(index);
        return std::nullopt;
    }
    return Shell32::Command{
        m_encoder,
        {QStringLiteral("-outfile"), ExtractRun::safeArgument(image.jpeg), ExtractRun::safeArgument(image.numbered)},
        m_confinement.reading({image.numbered}).writing({image.jpeg})};
}

bool ImagePipeline::makeNumberedCopy(Image& image)
{
    const bool blackAndWhite = image.listed.endsWith(QLatin1String(".pbm"), Qt::CaseInsensitive);
    image.numbered = m_output->folder() + Trim1::StripExtension(Trim1::FileNamePart(image.jpeg))
                     + (blackAndWhite ? QStringLiteral(".pgm") : image.listed.right(4));
    if (blackAndWhite) {
        // The encoder reads no 1-bit images: it gets them as grey, converted
        // on a thread of its own since a page can run to gigabytes.
        const auto convert = [&image](const std::atomic_bool& stop) {
            return PbmToPgm::convert(image.listed, image.numbered, [&stop] { return !stop; });
        };
        return BackgroundWork::run(convert, &m_stopper);
    }
    // Any other image only changes its name, with no data copied.
    if (!QFile::rename(image.listed, image.numbered))
        return false;
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
    const Image image = m_images.take(index);
    // No empty or partial JPEG stays behind.
    const bool made = outcome.result == 0 && nonEmptyFile(image.jpeg);
    if (outcome.result == Shell32::startErrorResult(Shell32::StartError::NotConfined)) {
        ++m_result.notConfined;
        m_result.notConfinedWhy = QString::fromLocal8Bit(outcome.errorOutput);
    } else if (!made) {
        ++m_result.failed;
    }
    m_numbers.finish(image.jpeg, made);
    forget(image);
}

void ImagePipeline::forget(const Image& image)
{
    Main::DeleteQuietly(image.listed);
    Main::DeleteQuietly(image.numbered);
}
