// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ExtractChoices.h"
#include "ExtractHost.h"
#include "ImageSelection.h"
#include "ToolLocator.h"
#include "confine/Confinement.h"

#include <QString>
#include <QStringList>

#include <memory>

class ExtractJob;

// "Extract!": every PDF of the source list goes through the image extractor,
// and every image it writes through the JPEG encoder, into numbered JPEG files
// in the output folder.
class ExtractRun
{
public:
    ExtractRun(ExtractHost& host, ToolLocator tools);
    // Destroying the run during a run abandons it (see abandon).
    ~ExtractRun();
    ExtractRun(const ExtractRun&) = delete;
    ExtractRun& operator=(const ExtractRun&) = delete;

    // How many programs may run at once, the extractor counting as one (1:
    // the extractor alone, then one image after the other); as many as the
    // machine has cores unless set.
    void setParallelEncoders(int count) { m_parallelEncoders = count < 1 ? 1 : count; }
    int parallelEncoders() const { return m_parallelEncoders; }

    // On (the default), images are encoded while the extractor still writes
    // the next ones; off, encoding waits until the extractor has ended.
    void setPipelined(bool pipelined) { m_pipelined = pipelined; }

    // How the extractor and the encoders are confined: everything the system
    // offers unless set (Confinement() runs them as they are), or unless the
    // environment says ORVALIN_CONFINEMENT=off, the last resort for a system
    // where the tools cannot run confined at all; the final message then
    // says so.
    void setConfinement(const Confinement& confinement)
    {
        m_confinement = confinement;
        m_confinementNote.clear();
    }
    const Confinement& confinement() const { return m_confinement; }
    // Everything the system offers, unless the environment turns it off;
    // note then holds the line that says so.
    static Confinement defaultConfinement(QString* note = nullptr);
    // The line that says the tools run unconfined by the environment's word;
    // empty when they do not.
    const QString& confinementNote() const { return m_confinementNote; }
    // What is kept and left out; all off unless set.
    void setChoices(const ExtractChoices& choices) { m_choices = choices; }
    const ExtractChoices& choices() const { return m_choices; }

    // On (the default), the extractor's list of each PDF's images is read
    // beside it: it tells what each image is, how many there should be, and
    // how far a PDF has come. Off, as when the list cannot be read, every
    // image is saved and the bar moves a PDF at a time.
    void setReadList(bool readList) { m_readList = readList; }

    // On (the default), leaving out repeats also leaves out an image whose
    // file is the same as one saved before in the run; off, repeats are known
    // by their object alone, as runs were before (for the benchmark).
    void setRepeatsByContent(bool byContent) { m_repeatsByContent = byContent; }

    // On, the work copy is removed when a run ends; off (the default), the
    // copy of the last PDF stays until the next run replaces it.
    void setRemoveWorkCopy(bool remove) { m_removeWorkCopy = remove; }

    // On, the work copy goes into a hidden work folder of the run's own in
    // the output folder, on the output's file system, and goes with the run;
    // off (the default), it keeps the window's place (see WorkCopy).
    void setWorkCopyInOutputFolder(bool inOutputFolder) { m_workCopyInOutputFolder = inOutputFolder; }

    // How long the programs of one PDF may run, in seconds; a PDF whose
    // programs run longer is stopped, what it had begun is removed as when a
    // run is abandoned, and the run goes on with the next PDF. 0 (the
    // default): no limit.
    void setTimeLimit(int seconds) { m_timeLimit = seconds; }

    // On, the extractor's list of every PDF is read beside its extractor, so
    // that every image saved is told with its page and kind (a manifest
    // names them); off (the default), where no choice needs it and the bar
    // does not show one large PDF, it is read only in a place no other
    // program wants, or to count images the extractor could not read.
    void setListForRecord(bool record) { m_listForRecord = record; }

    // The whole run, from the busy pointer to the final message. A call made
    // while a run is in progress (from an event handled during a wait) does
    // nothing.
    void ExtractAll();

    bool isRunning() const { return !m_job.expired(); }

    // Ends a run in progress at once, leaving nothing of it behind: the
    // programs it started are stopped, and its work folder and the JPEG files
    // it had begun are removed. The JPEG files it finished and every file of
    // the user's stay. The run then returns without another word to the
    // window. Nothing happens when no run is in progress.
    void abandon();

    // The final message for a list of problems: "Done.", the line of what
    // was left out when anything was, then at most kProblemsShown problems,
    // each cut to a readable length.
    static constexpr int kProblemsShown = 20;
    static QString finalMessage(const QStringList& problems, const QString& leftOut = QString());
    // "412 images left out (masks, tiny images, repeats)", naming the reasons
    // that left anything out; empty when nothing was.
    static QString leftOutLine(const int (&counts)[ImageSelection::kReasons]);
    // The whole list when the final message had to shorten it, else empty.
    static QString finalDetails(const QStringList& problems);

    // The loader's own words when a program could not start for a library
    // it did not find or could not read; empty for any other failure.
    static QString loaderWords(int exitCode, const QByteArray& errorOutput);

    // A path handed to a program as an argument: one that would begin with "-"
    // is written with a leading "./" so it can never be taken for an option.
    static QString safeArgument(const QString& path);

    // What the extractor's failure means in words a user understands.
    static QString describeExtractorFailure(int exitCode, const QByteArray& errorOutput);

private:
    ExtractHost& m_host;
    ToolLocator m_tools;
    int m_parallelEncoders;
    bool m_pipelined = true;
    Confinement m_confinement = Confinement::full();
    QString m_confinementNote;
    bool m_readList = true;
    bool m_removeWorkCopy = false;
    bool m_workCopyInOutputFolder = false;
    int m_timeLimit = 0;
    bool m_repeatsByContent = true;
    bool m_listForRecord = false;
    ExtractChoices m_choices;
    std::weak_ptr<ExtractJob> m_job; // the run in progress
};
