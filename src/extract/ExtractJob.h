// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ExtractChoices.h"
#include "ExtractHost.h"
#include "ImageNumbers.h"
#include "ImagePipeline.h"
#include "Shell32.h"
#include "StaleWork.h"
#include "ToolLocator.h"
#include "WorkCopy.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class ExtractorOutput;

// One run of "Extract!", from the busy pointer to the final message. It lives
// as long as the run does, even when the ExtractRun that started it goes away
// meanwhile: an abandoned job then only unwinds, touching neither the window
// nor the files any more.
class ExtractJob
{
public:
    struct Settings {
        int parallelEncoders = 1;
        bool pipelined = true;
        bool readList = true;
        ExtractChoices choices;
        Confinement confinement; // how the run's programs are confined
        QString confinementNote; // a line for the final message when they ran unconfined by the environment's word
        bool removeWorkCopy = false;
        bool workCopyInOutputFolder = false; // see ExtractRun::setWorkCopyInOutputFolder
        int timeLimit = 0;                   // seconds a PDF's programs may run; 0: no limit
        bool repeatsByContent = true;        // see ExtractRun::setRepeatsByContent
    };

    ExtractJob(ExtractHost& host, const ToolLocator& tools, const Settings& settings);

    void run();
    // See ExtractRun::abandon.
    void abandon();

private:
    // Row i of rows, from the bar's first step to its problem line;
    // noWorkCopy says why the run has no work copy, when it has none.
    void workOnRow(int i, int rows, const QString& noWorkCopy);
    // Works through one PDF; returns its problem, or the empty string.
    QString extractOne(const QString& source);
    // Finds a folder the images can go to, or says why there is none.
    QString prepareImageFolder(QString* imageFolder) const;
    // Claims the work copy, in its own work folder in the output folder when
    // the settings ask for it; why there is none, or the empty string.
    QString prepareWorkCopy();
    // Gives the extractor its input: the work copy, or a listed work copy
    // itself. Returns the problem, or the empty string.
    QString prepareInput(const QString& source, QString* input);
    // Runs the extractor into output and encodes its images; returns the
    // problem words for the PDF.
    QString extractAndEncode(const QString& input, const QString& imageFolder, const QString& extractor,
                             const QString& encoder, ExtractorOutput& output);
    // What went wrong with a PDF, in words for the user; empty when nothing did.
    QString describe(const ImagePipeline::Result& result, const QString& imageFolder) const;
    // The bar during PDF i of rows, with the part of its images done.
    void showProgress(int i, int rows, double part);

    ExtractHost& m_host;
    ToolLocator m_tools;
    Settings m_settings;
    Shell32::Stopper m_stopper;
    WorkCopy m_workCopy;
    ImageNumbers m_numbers;
    StaleWork m_staleWork;
    ExtractorOutput* m_output = nullptr; // of the PDF in progress
    bool m_abandoned = false;
    bool m_pdfStopped = false; // the PDF in progress is stopped: the run was abandoned, or its time is up
    QStringList m_problems;
    int m_leftOut[ImageSelection::kReasons] = {};
    QSet<QByteArray> m_savedContents; // of every image saved in the run, for repeats across its PDFs
    int m_shown = 0;                  // the bar's value
    QString m_source;                 // the PDF in progress, as its row has it
    std::function<void(qsizetype, qsizetype)> m_pdfProgress; // its images done, of those listed
};
