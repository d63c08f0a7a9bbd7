// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ExtractChoices.h"
#include "ExtractHost.h"
#include "ExtractorList.h"
#include "ExtractorOutput.h"
#include "ImageSelection.h"
#include "Shell32.h"

#include <QHash>
#include <QString>

#include <functional>
#include <optional>

class ImageNumbers;

// One PDF's images, from the extractor to numbered JPEG files. The extractor
// starts, and beside it the extractor's list of the same images; while it
// runs every image it has finished is prepared and encoded through the same
// runner, as many programs at once as allowed (the extractor and the list
// count as one each). Each image takes its number just before its encoder
// starts (a JPEG image kept as it is, when its turn comes), in the images'
// order, so numbers never depend on which encoder happens to end first. An
// image left out by the choices takes no number and costs no program.
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
        Failures unclaimed;   // no JPEG file could be made for them
        Failures unmoved;     // they could not leave the work folder
        Failures unconverted; // black-and-white images that could not be made grey
        Failures notConfined; // the encoder could not be confined for them, so it never ran
        Failures notLoaded;   // the encoder's loader could not start it, with the loader's words
        int refused = 0;      // files of the extractor that were no well-formed images of its kinds

        int saved() const { return encoded + kept; }
        int leftOutTotal() const;
    };

    // abandoned: when it turns true, nothing more is started or touched.
    ImagePipeline(ExtractHost& host, ImageNumbers& numbers, Shell32::Stopper& stopper, const bool& abandoned);

    // How many programs may run at once; 1 runs the extractor alone, then
    // the list, then the encoders one after another.
    void setProgramsAtOnce(int count) { m_atOnce = count; }
    // Off: encoding waits until the extractor has ended.
    void setPipelined(bool pipelined) { m_pipelined = pipelined; }
    // How the extractor and the encoders are confined; each gets its own places.
    void setConfinement(const Confinement& confinement) { m_confinement = confinement; }
    void setChoices(const ExtractChoices& choices) { m_choices = choices; }
    // Off: the list is not read, and every image is saved.
    void setReadList(bool readList) { m_readList = readList; }
    // Called as images are done, with how many of the list's images are.
    void setOnProgress(std::function<void(qsizetype done, qsizetype listed)> onProgress)
    {
        m_onProgress = std::move(onProgress);
    }
    // Called for every JPEG file saved (its source is left for the caller).
    void setOnSaved(std::function<void(const ExtractHost::SavedImage&)> onSaved) { m_onSaved = std::move(onSaved); }

    Result run(const QString& input, const QString& extractor, const QString& encoder, const QString& imageFolder,
               ExtractorOutput& output);

private:
    struct Image {
        QString listed;   // the extractor's file
        QString numbered; // its numbered copy, in the work folder
        QString jpeg;     // the claimed JPEG file
        int width = 0;    // as the extractor's file says: the JPEG file's too
        int height = 0;
        ExtractHost::SavedImage saved; // what it is, once it is saved
    };

    Shell32::Next next(int index);
    Shell32::Next nextImage(int index);
    void finished(int index, const Shell32::Outcome& outcome);
    void listed(const Shell32::Outcome& outcome);
    // True when the image is left out; it is then gone.
    bool leaveOut(const ExtractorList::Entry* entry, const QString& path);
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
    // Why nothing could be written in the output folder: a full disk, or
    // the system's own word.
    QString why(const QString& systemWord) const;

    ExtractHost& m_host;
    ImageNumbers& m_numbers;
    Shell32::Stopper& m_stopper;
    const bool& m_abandoned;
    int m_atOnce = 1;
    bool m_pipelined = true;
    Confinement m_confinement;
    bool m_readList = true;
    ExtractChoices m_choices;
    std::function<void(qsizetype, qsizetype)> m_onProgress;
    std::function<void(const ExtractHost::SavedImage&)> m_onSaved;

    // Of the PDF in progress.
    ExtractorOutput* m_output = nullptr;
    QString m_input;
    QString m_extractor;
    QString m_encoder;
    QString m_jpegFolder;
    bool m_extractorRunning = false;
    bool m_listRunning = false;
    std::optional<ExtractorList> m_list;
    qint64 m_mostPixels = 0; // of the largest image its list names
    std::optional<ImageSelection> m_selection;
    qsizetype m_done = 0;
    QHash<int, Image> m_images;
    Result m_result;
};
