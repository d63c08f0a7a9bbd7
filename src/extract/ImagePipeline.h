// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: LicenseRef-proprietary

#pragma once

#include "ExtractHost.h"
#include "Shell32.h"

#include <QHash>
#include <QString>

#include <optional>

class ExtractorOutput;
class ImageNumbers;

// One PDF's images, from the extractor to numbered JPEG files. The extractor
// starts, and while it runs every image it has finished is prepared and
// encoded through the same runner, as many programs at once as allowed (the
// extractor counts as one). Each image takes its number just before its
// encoder starts, in the images' order, so numbers never depend on which
// encoder happens to end first.
class ImagePipeline
{
public:
    struct Result {
        Shell32::Outcome extracted;
        int whole = 0;       // images handed to the encoder
        int cutShort = 0;    // images not whole when the extractor was done with them
        int failed = 0;      // images handed on that gave no JPEG
        int notConfined = 0; // images whose encoder could not be confined, and why
        QString notConfinedWhy;
    };

    // abandoned: when it turns true, nothing more is started or touched.
    ImagePipeline(ExtractHost& host, ImageNumbers& numbers, Shell32::Stopper& stopper, const bool& abandoned);

    // How many programs may run at once; 1 runs the extractor alone, then
    // the encoders one after another.
    void setProgramsAtOnce(int count) { m_atOnce = count; }
    // Off: encoding waits until the extractor has ended.
    void setPipelined(bool pipelined) { m_pipelined = pipelined; }
    // How the extractor and the encoders are confined; each gets its own places.
    void setConfinement(const Confinement& confinement) { m_confinement = confinement; }

    Result run(const QString& input, const QString& extractor, const QString& encoder, const QString& imageFolder,
               ExtractorOutput& output);

private:
    struct Image {
        QString listed;   // the extractor's file
        QString numbered; // its numbered copy, in the work folder
        QString jpeg;     // the claimed JPEG file
    };

    Shell32::Next next(int index);
    void finished(int index, const Shell32::Outcome& outcome);
    // Claims the image's number and makes its numbered copy; nothing when
    // that failed (the image then counts as failed).
    std::optional<Shell32::Command> prepare(int index, const QString& listed);
    // The copy of the image the encoder reads, named by its number: the
    // image itself, renamed, or its grey form.
    bool makeNumberedCopy(Image& image);
    void forget(const Image& image);

    ExtractHost& m_host;
    ImageNumbers& m_numbers;
    Shell32::Stopper& m_stopper;
    const bool& m_abandoned;
    int m_atOnce = 1;
    bool m_pipelined = true;
    Confinement m_confinement;

    // Of the PDF in progress.
    ExtractorOutput* m_output = nullptr;
    QString m_input;
    QString m_extractor;
    QString m_encoder;
    QString m_jpegFolder;
    bool m_extractorRunning = false;
    QHash<int, Image> m_images;
    Result m_result;
};
