// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: LicenseRef-proprietary

#pragma once

#include "ExtractHost.h"
#include "ImageNumbers.h"
#include "ImagePipeline.h"
#include "Shell32.h"
#include "StaleWork.h"
#include "ToolLocator.h"
#include "WorkCopy.h"

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
    ExtractJob(ExtractHost& host, const ToolLocator& tools, int parallelEncoders, bool pipelined);

    void run();
    // How the programs of the run are confined.
    void setConfinement(const Confinement& confinement) { m_confinement = confinement; }
    // See ExtractRun::abandon.
    void abandon();

private:
    // Works through one PDF; returns its problem, or the empty string.
    QString extractOne(const QString& source);
    // Finds a folder the images can go to, or says why there is none.
    QString prepareImageFolder(QString* imageFolder) const;
    // Gives the extractor its input: the work copy, or a listed work copy
    // itself. Returns the problem, or the empty string.
    QString prepareInput(const QString& source, QString* input);
    // Runs the extractor into output and encodes its images; returns the
    // problem words for the PDF.
    QString extractAndEncode(const QString& input, const QString& imageFolder, const QString& extractor,
                             const QString& encoder, ExtractorOutput& output);
    // What went wrong with a PDF, in words for the user; empty when nothing did.
    static QString describe(const ImagePipeline::Result& result, const QString& imageFolder);

    ExtractHost& m_host;
    ToolLocator m_tools;
    int m_parallelEncoders;
    bool m_pipelined;
    Confinement m_confinement;
    Shell32::Stopper m_stopper;
    WorkCopy m_workCopy;
    ImageNumbers m_numbers;
    StaleWork m_staleWork;
    ExtractorOutput* m_output = nullptr; // of the PDF in progress
    bool m_abandoned = false;
    QStringList m_problems;
};
