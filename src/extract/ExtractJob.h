// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ExtractHost.h"
#include "ExtractSettings.h"
#include "ImageNumbers.h"
#include "ImagePipeline.h"
#include "PdfJob.h"
#include "Shell32.h"
#include "StaleWork.h"
#include "ToolLocator.h"
#include "WorkCopy.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>

// One run of "Extract!", from the busy pointer to the final message. It lives
// as long as the run does, even when the ExtractRun that started it goes away
// meanwhile: an abandoned job then only unwinds, touching neither the window
// nor the files any more.
//
// The PDFs go through one runner in the list's order, and their images take
// numbers in that order: every image of a PDF before any of the next, once
// every PDF before it is done. While a PDF's images are encoded, or its
// extractor still runs, a place that its programs leave free starts the
// extractor of the next PDF, read ahead into a work folder of its own; its
// images wait there, written, for their turn. One PDF is always read ahead;
// more, up to kMostAhead for each program at once, only while those ahead
// hold less than kMostWaitingBytes of waiting images, so that a long PDF
// followed by short ones keeps every core busy and disk and memory stay
// small. With one program at a time, nothing is read ahead.
class ExtractJob
{
public:
    using Settings = ExtractSettings;

    ExtractJob(ExtractHost& host, const ToolLocator& tools, const Settings& settings);
    ~ExtractJob();

    void run();
    // See ExtractRun::abandon.
    void abandon();

    // A PDF at least this large shows how far it has come in the bar: its
    // list is read beside its extractor whatever else would pay.
    static constexpr qint64 kLargePdf = 16 * 1024 * 1024;
    static constexpr int kMostAhead = 8;
    static constexpr qint64 kMostWaitingBytes = 64 * 1024 * 1024;

private:
    // Claims the work copy, in its own work folder in the output folder when
    // the settings ask for it; why there is none, or the empty string.
    QString prepareWorkCopy();
    // The PDFs of rows through the runner, up to the last row.
    void runRows(int bound, const QString& noWorkCopy);
    // The next program of the run, as the runner asks for it.
    Shell32::Next next(int index, int bound, const QString& noWorkCopy);
    // True when one more PDF may be read ahead (see above).
    bool mayReadAhead() const;
    // True when a PDF can close, hand on the numbers or let the next row
    // start without a program ending first.
    bool settled(int bound) const;
    // Starts the PDF of the next row; false when there is none.
    bool startRow(int bound, const QString& noWorkCopy);
    // When the list of a PDF is read.
    ImagePipeline::ListWhen listWhen(const QString& source, int rows) const;
    // The first PDF whose images are not all decided takes images now.
    void handOnNumbers();
    // Closes the PDFs at the front that are done: their lines, in order.
    void closeDone(int bound);
    // The bar during PDF i of rows, with the part of its images done.
    void showProgress(int i, int rows, double part);

    ExtractHost& m_host;
    ToolLocator m_tools;
    Settings m_settings;
    Shell32::Stopper m_stopper;
    Shell32::Waker m_waker;
    WorkCopy m_workCopy;
    ImageNumbers m_numbers;
    StaleWork m_staleWork;
    QSet<QByteArray> m_savedContents;           // of every image saved in the run, for repeats across its PDFs
    std::deque<std::unique_ptr<PdfJob>> m_pdfs; // in the list's order
    QHash<int, std::pair<PdfJob*, ImagePipeline::Program>> m_programs; // running, by the runner's number
    int m_nextRow = 1;
    bool m_abandoned = false;
    QStringList m_problems;
    int m_leftOut[ImageSelection::kReasons] = {};
    int m_shown = 0; // the bar's value
};
