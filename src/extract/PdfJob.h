// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ExtractHost.h"
#include "ExtractSettings.h"
#include "ExtractorOutput.h"
#include "ImagePipeline.h"
#include "Shell32.h"

#include <QElapsedTimer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class ImageNumbers;
class StaleWork;
class ToolLocator;
class WorkCopy;

// One PDF of a run, from the checks before its extractor starts to its
// problem line: its work folder, its input, its programs and its time limit.
// A run has two of them at once at the most: the one whose images take
// numbers, and one read ahead, whose extractor already runs.
class PdfJob
{
public:
    // What the run lends each of its PDFs.
    struct Run {
        ExtractHost& host;
        const ToolLocator& tools;
        const ExtractSettings& settings;
        ImageNumbers& numbers;
        StaleWork& staleWork;
        Shell32::Stopper& stopper;       // the run's: it stops every PDF's
        QSet<QByteArray>& savedContents; // of every image saved in the run
        Shell32::Waker& waker;           // woken when an extractor writes a file
    };

    // Row `row` of `rows`, whose text is source. progress is told how far the
    // PDF has come once it takes images.
    PdfJob(const Run& run, int row, int rows, const QString& source, std::function<void(double)> progress);
    ~PdfJob();
    PdfJob(const PdfJob&) = delete;
    PdfJob& operator=(const PdfJob&) = delete;

    int row() const { return m_row; }
    int rows() const { return m_rows; }
    const QString& source() const { return m_source; }

    // Everything before the PDF's first program: its output folder, its
    // file, the tools, its work folder and its input, which is the run's
    // work copy when one is lent, else a copy in its own work folder. False
    // when the PDF cannot be worked on; its problem is then known.
    bool prepare(WorkCopy* workCopy, ImagePipeline::ListWhen list);
    // The work copy it reads, when the run lent it one.
    WorkCopy* workCopy() const { return m_workCopy; }

    std::optional<ImagePipeline::Program> next(bool idle);
    void finished(const ImagePipeline::Program& program, const Shell32::Outcome& outcome);
    // Its images take numbers from now on.
    void takeImages();
    bool takesImages() const { return m_takesImages; }
    bool imagesDecided() const;
    // What it holds on disk for its turn, read ahead with its extractor
    // ended: its own copy of its input and what its extractor wrote.
    qint64 waitingBytes() const;
    bool done() const;

    // Once done: its problem, or the empty string; its work folder goes. A
    // copy of its input in its own work folder, when it has one and keepInput
    // is given, goes to keepInput instead.
    QString close(const QString& keepInput = QString());
    // What it left out, once closed.
    const ImagePipeline::Result& result() const { return m_result; }

    // Stops its programs and removes its work folder and the JPEG files it
    // had begun, as closing the window does.
    void abandon();
    bool abandoned() const { return m_abandoned; }

private:
    QString prepareInput(WorkCopy* workCopy);
    void stopForTime();
    // Its problem line, once it is closed: the extraction's problems, then
    // those of its images.
    QString describe(const ImagePipeline::Result& result) const;
    QStringList extractionProblems(const ImagePipeline::Result& result) const;
    QStringList imageProblems(const ImagePipeline::Result& result) const;

    Run m_run;
    int m_row;
    int m_rows;
    QString m_source;
    std::function<void(double)> m_progress;
    QString m_problem;
    QString m_imageFolder;
    QString m_input;
    QString m_ownCopy; // its input, when it is a copy in its own work folder
    WorkCopy* m_workCopy = nullptr;
    std::unique_ptr<ExtractorOutput> m_output;
    Shell32::Stopper m_stopper;
    std::unique_ptr<Shell32::Stopper::Hook> m_wholeRun;
    bool m_stopped = false; // abandoned, or out of time
    bool m_abandoned = false;
    std::unique_ptr<ImagePipeline> m_pipeline;
    bool m_takesImages = false;
    qint64 m_waitingBytes = 0;
    // Its time limit counts while its programs run or its images are taken,
    // not while it waits for its turn.
    QTimer m_limit;
    QElapsedTimer m_counting;
    qint64 m_timeLeftMs = 0;
    bool m_timeIsUp = false;
    ImagePipeline::Result m_result;
};
