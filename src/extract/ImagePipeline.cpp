// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ImagePipeline.h"

#include "BackgroundWork.h"
#include "ContentDigests.h"
#include "ExtractRun.h"
#include "ExtractorMessages.h"
#include "ExtractorOutput.h"
#include "ImageNumbers.h"
#include "MaskCompositor.h"
#include "PbmToPgm.h"
#include "WholeJpeg.h"
#include "util/Main.h"
#include "util/Platform.h"
#include "util/ShortFilename.h"
#include "util/Trim1.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <limits>
#include <numeric>
#include <utility>

namespace {

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

// How many files the extractor has finished ahead of the one being decided
// are read for their digests meanwhile.
constexpr int kReadAhead = 4;

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

void ImagePipeline::begin(const QString& input, const QString& extractor, const QString& encoder,
                          const QString& imageFolder, ExtractorOutput& output, Shell32::Waker* waker)
{
    m_output = &output;
    m_input = input;
    m_extractor = extractor;
    m_encoder = encoder;
    m_jpegFolder = ShortFilename::GetShortName(imageFolder);
    if (m_jpegFolder.isEmpty())
        m_jpegFolder = imageFolder; // never the process's current folder
    m_selection.emplace(m_choices, m_savedContents);
    m_digests = std::make_unique<ContentDigests>();
    if (m_listWhen == ListWhen::Never)
        m_listState = ListState::Passed;
    output.setTakesJpeg(m_choices.keepJpeg);
    // New images are learnt of from the system's notices, the extractor's end
    // from its own signal. Without notices, images are taken up at its end.
    if (m_pipelined && waker)
        output.watch([waker] { waker->wake(); });
}

ImagePipeline::Result ImagePipeline::end()
{
    m_result.listDisagreed = m_selection && m_selection->disagreed();
    tellSaved(true);
    m_decodedPage.reset();
    m_digests.reset();
    m_output = nullptr;
    m_selection.reset();
    return m_result;
}

void ImagePipeline::setTakingImages(bool taking)
{
    m_takingImages = taking;
    // The claims of the PDF that takes images are noted in its work folder.
    if (taking && m_output)
        m_numbers.setNotes(m_output->folder());
}

bool ImagePipeline::ended() const
{
    return m_running == 0
           && (m_abandoned
               || (m_extractorStarted && !m_extractorRunning && m_imagesDecided
                   && (m_listState == ListState::Read || m_listState == ListState::Passed)));
}

void ImagePipeline::giveUpClaims()
{
    for (const Image& image : std::as_const(m_images)) {
        m_numbers.finish(image.jpeg, false);
        forget(image);
    }
    m_images.clear();
}

std::optional<ImagePipeline::Program> ImagePipeline::next(bool idle)
{
    using Shell32::Next;
    if (m_abandoned)
        return std::nullopt;
    // Every program's home is the run's work folder, where it can write
    // nothing: the extractor writes only in its own folder inside it.
    if (!m_extractorStarted) {
        m_extractorStarted = true;
        m_extractorRunning = true;
        ++m_running;
        QStringList arguments{ExtractRun::safeArgument(m_input), m_output->prefix()};
        if (m_choices.keepJpeg)
            arguments.prepend(QStringLiteral("-j"));
        return Program{
            Program::Extractor,
            -1,
            {m_extractor, arguments, false,
             m_confinement.inWorkFolder(m_output->folder()).reading({m_input}).writing({m_output->extractorFolder()}),
             &m_stopper}};
    }
    if (std::optional<Program> list = nextList(idle))
        return list;
    // Nothing is decided of an image before its turn, nor before its entry
    // in the list is known when the list is read beside.
    if (!m_takingImages || m_imagesDecided || (!m_pipelined && m_extractorRunning)
        || (m_listWhen == ListWhen::Beside && m_listState != ListState::Read && m_listState != ListState::Passed))
        return std::nullopt;
    for (;;) {
        const int index = m_nextImage;
        const Shell32::Next what = nextImage(index);
        if (m_abandoned)
            return std::nullopt;
        switch (what.kind) {
        case Next::Start:
            ++m_nextImage;
            ++m_running;
            return Program{Program::Encoder, index, what.command};
        case Next::Skip:
            continue;
        case Next::Done:
            m_imagesDecided = true;
            return std::nullopt;
        case Next::Wait:
            return std::nullopt;
        }
    }
}

std::optional<ImagePipeline::Program> ImagePipeline::nextList(bool idle)
{
    if (m_listState != ListState::NotYet)
        return std::nullopt;
    bool now = m_listWhen == ListWhen::Beside;
    if (m_listWhen == ListWhen::WhenIdle) {
        if (m_extractorRunning) {
            now = idle;
        } else {
            // Ended: the list only counts what the extractor could not read,
            // when it says there was any.
            const ExtractorMessages said = ExtractorMessages::read(m_result.extracted.errorOutput);
            now = m_result.extracted.result != 0 || said.damaged || said.couldNotWrite;
            if (!now)
                m_listState = ListState::Passed;
        }
    }
    if (!now)
        return std::nullopt;
    m_listState = ListState::Running;
    ++m_running;
    return Program{Program::List,
                   -1,
                   {m_extractor,
                    {QStringLiteral("-list"), ExtractRun::safeArgument(m_input)},
                    /*keepOutput*/ true,
                    m_confinement.inWorkFolder(m_output->folder()).reading({m_input}),
                    &m_stopper}};
}

Shell32::Next ImagePipeline::nextImage(int index)
{
    using Shell32::Next;
    if (m_held)
        return nextMask(index);
    File file;
    if (m_peeked) {
        file = *std::exchange(m_peeked, std::nullopt);
    } else {
        file.image = m_output->nextImage(!m_extractorRunning);
        match(file);
    }
    switch (file.image.kind) {
    case ExtractorOutput::Image::NotYet:
        return {Next::Wait, {}};
    case ExtractorOutput::Image::NoMore:
        return {Next::Done, {}};
    case ExtractorOutput::Image::CutShort:
        // Never handed on: the encoder would make a broken JPEG of it, or none.
        ++m_result.cutShort;
        Main::DeleteQuietly(file.image.path);
        done();
        return {Next::Skip, {}};
    case ExtractorOutput::Image::Refused:
        ++m_result.refused;
        Main::DeleteQuietly(file.image.path);
        done();
        return {Next::Skip, {}};
    case ExtractorOutput::Image::Finished:
        break;
    }
    // The extractor writes an image's mask right after the image.
    if (m_choices.masks() == ExtractChoices::Masks::Apply && file.entry && m_list->maskOf(file.index)) {
        m_held = file;
        return nextMask(index);
    }
    return take(index, file, nullptr);
}

Shell32::Next ImagePipeline::nextMask(int index)
{
    File mask;
    mask.image = m_output->nextImage(!m_extractorRunning);
    if (mask.image.kind == ExtractorOutput::Image::NotYet)
        return {Shell32::Next::Wait, {}};
    match(mask);
    const File image = *std::exchange(m_held, std::nullopt);
    if (mask.entry && mask.entry == m_list->maskOf(image.index))
        return take(index, image, &mask);
    // Not its mask, which the extractor could not write: the file is the
    // next image's, or the end.
    if (mask.image.kind != ExtractorOutput::Image::NoMore)
        m_peeked = mask;
    return take(index, image, nullptr);
}

void ImagePipeline::match(File& file)
{
    if (file.image.kind != ExtractorOutput::Image::NotYet && file.image.kind != ExtractorOutput::Image::NoMore)
        m_imageTaken = true;
    // No image is larger than the largest its list names.
    if (file.image.kind == ExtractorOutput::Image::Finished
        && qint64(file.image.width) * file.image.height > mostPixels())
        file.image.kind = ExtractorOutput::Image::Refused;
    if (file.image.kind != ExtractorOutput::Image::Finished)
        return;
    ++m_result.whole;
    const qsizetype before = m_selection->passedOver();
    file.entry = m_selection->entryFor(file.image.path, file.image.width, file.image.height);
    file.index = m_selection->lastIndex();
    // Entries that gave no file are done as far as the bar can tell.
    for (qsizetype passed = m_selection->passedOver() - before; passed > 0; --passed)
        done();
    if (!file.entry && m_selection->disagreed() && m_choices.needList())
        ++m_result.unmatched;
    if (m_choices.noRepeats)
        readAhead(file.image.number);
}

void ImagePipeline::readAhead(int number)
{
    // The extractor's names, as ExtractorOutput tells its files.
    const auto fileOf = [this](int n) {
        const QString stem =
            m_output->prefix() + QLatin1Char('-') + QString::number(n).rightJustified(3, QLatin1Char('0'));
        for (const char* suffix : {".ppm", ".pbm", ".pgm", ".jpg"})
            if (QFileInfo::exists(stem + QLatin1String(suffix)))
                return stem + QLatin1String(suffix);
        return QString();
    };
    for (int n = number + 1; n <= number + kReadAhead; ++n) {
        const QString path = fileOf(n);
        if (path.isEmpty() || (m_extractorRunning && fileOf(n + 1).isEmpty()) || !ExtractorOutput::isWhole(path))
            return;
        m_digests->prefetch(path);
    }
}

Shell32::Next ImagePipeline::take(int index, const File& file, const File* mask)
{
    using Shell32::Next;
    for (const File* read : {&file, mask})
        if (read)
            m_digests->settle(read->image.path, m_stopper);
    if (leaveOut(file, mask))
        return {Next::Skip, {}};
    const ExtractorOutput::Image& image = file.image;
    const ExtractorList::Entry* entry = file.entry;
    ExtractHost::SavedImage saved;
    saved.index = entry ? int(file.index) : image.number;
    saved.width = entry ? entry->width : image.width;
    saved.height = entry ? entry->height : image.height;
    if (entry) {
        saved.page = entry->page;
        saved.kind = QString::fromLatin1(entry->kindName());
    }
    QString path = image.path;
    if (mask) {
        // The mask is in the picture now, or could not be: it is not saved.
        const QString picture = applyMask(file, *mask);
        Main::DeleteQuietly(mask->image.path);
        ++m_result.leftOut[ImageSelection::Mask];
        done();
        if (!picture.isEmpty()) {
            Main::DeleteQuietly(path);
            path = picture;
        }
        if (m_abandoned)
            return {Next::Done, {}};
    }
    if (path.endsWith(QLatin1String(".jpg"))) {
        saved.kept = true;
        keep(path, saved);
        return {m_abandoned ? Next::Done : Next::Skip, {}};
    }
    ExtractorOutput::Image encoded = image;
    encoded.path = path;
    if (std::optional<Shell32::Command> command = prepare(index, encoded, saved))
        return {Next::Start, *command};
    return {m_abandoned ? Next::Done : Next::Skip, {}};
}

bool ImagePipeline::leaveOut(const File& file, const File* mask)
{
    if (!m_choices.leavesOut() || !file.entry)
        return false;
    const std::optional<ImageSelection::Reason> reason = m_selection->leaveOut(*file.entry, [&] {
        // The same image through another mask is another picture.
        return m_digests->digest(mask ? QStringList{file.image.path, mask->image.path} : QStringList{file.image.path},
                                 m_stopper);
    });
    if (!reason)
        return false;
    ++m_result.leftOut[*reason];
    Main::DeleteQuietly(file.image.path);
    done();
    if (mask) {
        ++m_result.leftOut[ImageSelection::Mask];
        Main::DeleteQuietly(mask->image.path);
        done();
    }
    return true;
}

QString ImagePipeline::applyMask(const File& file, const File& mask)
{
    const QString imagePath = decoded(file);
    const QString maskPath = decoded(mask);
    const QString picture =
        m_output->folder() + QStringLiteral("applied-%1").arg(file.index) + MaskCompositor::outputSuffix(imagePath);
    QString systemWord = QStringLiteral("the extractor could not decode its page once more");
    const auto work = [&](const std::atomic_bool& stop) {
        return MaskCompositor::composite(
            imagePath, *file.entry, maskPath, *mask.entry, picture, [&stop] { return !stop; }, &systemWord);
    };
    const qint64 bytes = qint64(file.entry->width) * file.entry->height * 3;
    const bool applied = !imagePath.isEmpty() && !maskPath.isEmpty() && BackgroundWork::run(bytes, work, &m_stopper);
    if (!applied && !m_abandoned)
        m_result.unapplied.add(why(systemWord));
    return applied ? picture : QString();
}

QString ImagePipeline::decoded(const File& file)
{
    if (!file.image.path.endsWith(QLatin1String(".jpg")))
        return file.image.path;
    if (!m_decodedPage) {
        m_decodedPage = std::make_unique<DecodedPage>(
            m_output->folder() + QStringLiteral("decoded"), [this](int page, const QString& prefix) {
                const QString folder = QFileInfo(prefix).absolutePath();
                const Shell32::Command command{
                    m_extractor,
                    {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page),
                     ExtractRun::safeArgument(m_input), QDir::toNativeSeparators(prefix)},
                    false,
                    m_confinement.inWorkFolder(m_output->folder()).reading({m_input}).writing({folder})};
                bool extracted = false;
                Shell32::runEachAndWait(
                    1, 1, [&command](int) { return std::optional<Shell32::Command>(command); },
                    [&extracted](int, const Shell32::Outcome& outcome) { extracted = outcome.result == 0; },
                    Shell32::WindowStyle::Hidden, &m_stopper);
                return extracted;
            });
    }
    return m_decodedPage->file(file.entry->page, m_list->indexOnPage(file.index));
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
        settle(takePlace(), saved);
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
        // Windows renames no file that is open.
        file.close();
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
    else
        image.place = takePlace();
    ready = ready && makeNumberedCopy(image);
    if (m_abandoned)
        return std::nullopt;
    if (!ready) {
        m_numbers.finish(image.jpeg, false);
        settle(image.place, std::nullopt);
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
            .withFileSizeLimit(largest),
        &m_stopper};
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

void ImagePipeline::finished(const Program& program, const Shell32::Outcome& outcome)
{
    --m_running;
    if (m_abandoned)
        return;
    switch (program.role) {
    case Program::Extractor:
        m_result.extracted = outcome;
        m_extractorRunning = false;
        m_output->unwatch();
        break;
    case Program::List:
        listed(outcome);
        break;
    case Program::Encoder:
        encoded(program.image, outcome);
        break;
    }
}

void ImagePipeline::encoded(int index, const Shell32::Outcome& outcome)
{
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
    image.saved.jpeg = image.jpeg;
    settle(image.place, made ? std::optional(image.saved) : std::nullopt);
    forget(image);
    done();
}

void ImagePipeline::listed(const Shell32::Outcome& outcome)
{
    m_listState = ListState::Read;
    std::optional<ExtractorList> list;
    if (outcome.result == 0 && !outcome.outputCut)
        list = ExtractorList::parse(outcome.output);
    if (!list) {
        // Nothing tells how far the PDF has come.
        if (m_onProgress)
            m_onProgress(m_done, 0);
        return;
    }
    m_result.listed = list->size();
    // A list that comes once images were decided without it only counts
    // them: its entries are matched to the files from the first on.
    if (m_imageTaken) {
        if (m_onProgress)
            m_onProgress(m_done, list->size());
        return;
    }
    m_list = std::move(list);
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

qint64 ImagePipeline::takePlace()
{
    m_line.emplace(m_nextPlace, Place{});
    return m_nextPlace++;
}

void ImagePipeline::settle(qint64 place, const std::optional<ExtractHost::SavedImage>& saved)
{
    const auto it = m_line.find(place);
    if (it == m_line.end())
        return;
    it->second = {true, saved};
    tellSaved(false);
}

void ImagePipeline::tellSaved(bool all)
{
    while (!m_line.empty() && (all || m_line.begin()->second.settled)) {
        const std::optional<ExtractHost::SavedImage> saved = m_line.begin()->second.saved;
        m_line.erase(m_line.begin());
        if (saved && m_onSaved)
            m_onSaved(*saved);
    }
}

void ImagePipeline::done()
{
    ++m_done;
    // Without a list, the images found so far are all it knows of.
    if (m_onProgress)
        m_onProgress(m_done, m_result.listed.value_or(0));
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
