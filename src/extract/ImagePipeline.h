// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ContentDigests.h"
#include "DecodedPage.h"
#include "ExtractChoices.h"
#include "ExtractHost.h"
#include "ExtractorList.h"
#include "ExtractorOutput.h"
#include "ImageSelection.h"
#include "Shell32.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class ImageNumbers;

// One PDF's images, from the extractor to numbered JPEG files. The extractor
// starts, and beside it, where it pays, the extractor's list of the same
// images; while it runs every image it has finished is prepared and encoded,
// each program started by the run's runner as the run asks for the PDF's
// next one (see next()). Each image takes its number just before its encoder
// starts (a JPEG image kept as it is, when its turn comes), in the images'
// order, so numbers never depend on which encoder happens to end first. An
// image left out by the choices takes no number and costs no program; an
// image whose mask is to be applied waits for its mask, and the two become
// the one picture that is encoded. Until the run lets it take images (see
// setTakingImages), the PDF starts its extractor alone: its images wait,
// written, for their turn.
class ImagePipeline
{
public:
    // Images that never reached the encoder at one step, and the system's
    // word for the first of them.
    struct Failures {
        int count = 0;
        QString why;
        void add(const QString& reason)
        {
            if (count++ == 0)
                why = reason;
        }
    };

    struct Result {
        Shell32::Outcome extracted;
        std::optional<qsizetype> listed; // the images the list names, when it could be read
        int whole = 0;                   // images the extractor wrote whole
        int cutShort = 0;                // images not whole when the extractor was done with them
        int encoded = 0;                 // JPEG files the encoder made
        int kept = 0;                    // JPEG images saved as they are
        int encoderFailed = 0;           // encoder runs that gave no JPEG
        int leftOut[ImageSelection::kReasons] = {};
        // Files that matched no entry of the list that was read, so the
        // choices could not be applied to them.
        int unmatched = 0;
        bool listDisagreed = false; // a file matched no entry of the list that was read
        Failures unclaimed;         // no JPEG file could be made for them
        Failures unmoved;           // they could not leave the work folder
        Failures unconverted;       // black-and-white images that could not be made grey
        Failures notConfined;       // the encoder could not be confined for them, so it never ran
        Failures notLoaded;         // the encoder's loader could not start it, with the loader's words
        Failures unapplied;         // images saved without the mask that could not be applied to them
        int refused = 0;            // files of the extractor that were no well-formed images of its kinds

        int saved() const { return encoded + kept; }
        int leftOutTotal() const;
    };

    // abandoned: when it turns true, nothing more is started or touched.
    ImagePipeline(ExtractHost& host, ImageNumbers& numbers, Shell32::Stopper& stopper, const bool& abandoned);

    // One of the PDF's programs, as next() hands it to the run.
    struct Program {
        enum Role { Extractor, List, Encoder };
        Role role = Encoder;
        int image = -1; // of an encoder: which image it encodes
        Shell32::Command command;
    };

    // When the list of the PDF's images is read.
    enum class ListWhen {
        Beside,   // beside the extractor: the choices, the record or the bar need it
        WhenIdle, // only in a place no other program wants, before the
                  // extraction has ended; after it only to count images the
                  // extractor says it could not read
        Never,
    };

    // Off: encoding waits until the extractor has ended.
    void setPipelined(bool pipelined) { m_pipelined = pipelined; }
    // How the extractor and the encoders are confined; each gets its own places.
    void setConfinement(const Confinement& confinement) { m_confinement = confinement; }
    void setChoices(const ExtractChoices& choices) { m_choices = choices; }
    // What the run saved so far, by content, for repeats across its PDFs.
    void setSavedContents(QSet<QByteArray>* contents) { m_savedContents = contents; }
    void setListWhen(ListWhen when) { m_listWhen = when; }
    // Called as images are done, with how many of the list's images are.
    void setOnProgress(std::function<void(qsizetype done, qsizetype listed)> onProgress)
    {
        m_onProgress = std::move(onProgress);
    }
    // Called for every JPEG file saved (its source is left for the caller).
    void setOnSaved(std::function<void(const ExtractHost::SavedImage&)> onSaved) { m_onSaved = std::move(onSaved); }

    // Makes the PDF ready for its programs; waker is woken when the
    // extractor has written a file.
    void begin(const QString& input, const QString& extractor, const QString& encoder, const QString& imageFolder,
               ExtractorOutput& output, Shell32::Waker* waker);
    // The next program to start: nothing when none is ready now. idle: the
    // place would stay empty otherwise, and a list that waits for such a
    // place may have it.
    std::optional<Program> next(bool idle);
    void finished(const Program& program, const Shell32::Outcome& outcome);
    // Images are decided, numbered and encoded only once this is on.
    void setTakingImages(bool taking);
    // Every image is decided: the PDF takes no more numbers.
    bool imagesDecided() const { return m_imagesDecided; }
    // Nothing of the PDF runs or is to start any more.
    bool ended() const;
    // The claimed JPEG files of the images being encoded are removed, as
    // when the PDF is stopped.
    void giveUpClaims();
    // What became of the PDF, once it is done; the pipeline is then spent.
    Result end();

private:
    struct Image {
        QString listed;   // the extractor's file
        QString numbered; // its numbered copy, in the work folder
        QString jpeg;     // the claimed JPEG file
        int width = 0;    // as the extractor's file says: the JPEG file's too
        int height = 0;
        ExtractHost::SavedImage saved; // what it is, once it is saved
        qint64 place = -1;             // in the line of images told as saved
    };

    // A file of the extractor's, with its entry in the list when it matched one.
    struct File {
        ExtractorOutput::Image image;
        const ExtractorList::Entry* entry = nullptr;
        qsizetype index = -1; // of entry
    };

    std::optional<Program> nextList(bool idle);
    Shell32::Next nextImage(int index);
    // For the image held back, once its mask is there: both become one.
    Shell32::Next nextMask(int index);
    // Matches a finished file to its entry in the list.
    void match(File& file);
    // Starts reading the files finished after file number for their digests.
    void readAhead(int number);
    // Leaves out, keeps or encodes the image of file, mask applied when given.
    Shell32::Next take(int index, const File& file, const File* mask);
    void encoded(int index, const Shell32::Outcome& outcome);
    void listed(const Shell32::Outcome& outcome);
    // True when the image (with its mask, when given) is left out; it is then gone.
    bool leaveOut(const File& file, const File* mask);
    // The picture of file through mask, as a file of the work folder;
    // empty when it could not be made.
    QString applyMask(const File& file, const File& mask);
    // The extractor's file of an image as Netpbm pixels: a JPEG file kept as
    // it is stands in for its decoded page's file.
    QString decoded(const File& file);
    // Saves a JPEG image as the extractor wrote it, under its number.
    void keep(const QString& path, ExtractHost::SavedImage saved);
    // The extractor's JPEG file at path as a file of the run's own, out of
    // every program's reach, and whole with the size its list gives; empty
    // when it is not.
    QString takeJpeg(const QString& path, const ExtractHost::SavedImage& saved);
    // Claims the image's number and makes its numbered copy; nothing when
    // that failed.
    std::optional<Shell32::Command> prepare(int index, const ExtractorOutput::Image& listed,
                                            const ExtractHost::SavedImage& saved);
    // The most pixels an image of this PDF can have: the largest its list
    // names, or any number while there is no list.
    qint64 mostPixels() const;
    // The copy of the image the encoder reads, named by its number: the
    // image itself, renamed, or its grey form.
    bool makeNumberedCopy(Image& image);
    void forget(const Image& image);
    // One more image is done, whatever became of it.
    void done();
    // Images saved are told in the order of their numbers, whichever encoder
    // ends first: each number claimed takes a place in line, and an image is
    // told once every place before it is settled.
    qint64 takePlace();
    void settle(qint64 place, const std::optional<ExtractHost::SavedImage>& saved);
    // all: every image saved is told, whether or not the places before it
    // were settled (the PDF was stopped).
    void tellSaved(bool all);
    // Why nothing could be written in the output folder: a full disk, or
    // the system's own word.
    QString why(const QString& systemWord) const;

    ExtractHost& m_host;
    ImageNumbers& m_numbers;
    Shell32::Stopper& m_stopper;
    const bool& m_abandoned;
    bool m_pipelined = true;
    Confinement m_confinement;
    ListWhen m_listWhen = ListWhen::Beside;
    ExtractChoices m_choices;
    QSet<QByteArray>* m_savedContents = nullptr;
    std::function<void(qsizetype, qsizetype)> m_onProgress;
    std::function<void(const ExtractHost::SavedImage&)> m_onSaved;

    // Of the PDF in progress.
    ExtractorOutput* m_output = nullptr;
    QString m_input;
    QString m_extractor;
    QString m_encoder;
    QString m_jpegFolder;
    bool m_extractorStarted = false;
    bool m_extractorRunning = false;
    enum class ListState { NotYet, Running, Read, Passed };
    ListState m_listState = ListState::NotYet;
    bool m_takingImages = false;
    bool m_imagesDecided = false;
    bool m_imageTaken = false; // an image was decided, with its entry or without
    int m_running = 0;         // programs of the PDF running
    int m_nextImage = 0;       // the key of the next encoder's image
    std::optional<ExtractorList> m_list;
    qint64 m_mostPixels = 0; // of the largest image its list names
    std::optional<ImageSelection> m_selection;
    std::optional<File> m_held;   // an image waiting for its mask
    std::optional<File> m_peeked; // a file taken out of turn, for the next image
    std::unique_ptr<DecodedPage> m_decodedPage;
    std::unique_ptr<ContentDigests> m_digests;
    qsizetype m_done = 0;
    QHash<int, Image> m_images;
    struct Place {
        bool settled = false;
        std::optional<ExtractHost::SavedImage> saved;
    };
    std::map<qint64, Place> m_line;
    qint64 m_nextPlace = 0;
    Result m_result;
};
