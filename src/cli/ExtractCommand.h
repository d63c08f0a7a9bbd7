// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "CommandLine.h"
#include "Manifest.h"
#include "ProgressLine.h"
#include "confine/Confinement.h"
#include "extract/ExtractHost.h"

#include <QElapsedTimer>
#include <QList>
#include <QStringList>

#include <cstdio>
#include <memory>

class ExtractRun;

// orvalin-extract: the extraction run of the window, driven from a terminal or
// a script. Problems go to the error channel one line each as they are found;
// on a terminal a progress line is drawn over itself.
class ExtractCommand : public ExtractHost
{
public:
    // The exit codes.
    static constexpr int kAllImages = 0;
    static constexpr int kProblems = 1;
    static constexpr int kUsage = 2;
    static constexpr int kInterrupted = 130;

    // applicationFolder: where the tools are looked for first and the work
    // copy may go. in is read for "-".
    ExtractCommand(QString applicationFolder, std::FILE* in, std::FILE* out, std::FILE* err);
    ~ExtractCommand() override;

    // Does what the arguments (without the program's name) ask; returns the
    // exit code.
    int run(const QStringList& arguments);
    // Ends a run in progress as closing the window does: its programs are
    // stopped and what it had begun is removed; run then returns
    // kInterrupted.
    void interrupt();

    // ExtractHost
    int sourceCount() const override { return int(m_rows.size()); }
    QString sourceText(int row) const override { return m_rows.value(row - 1); }
    QString outputFolderText() const override { return m_outputFolder; }
    void setProgress(int) override { }
    void setMousePointer(Pointer) override { }
    void showMessage(const QString& text, const QString& details) override;
    void problemFound(const QString& source, const QString& problem) override;
    void imageSaved(const SavedImage& image) override;
    void leftOut(const QString& line) override;
    void rowProgress(int row, int rows, qsizetype done, qsizetype listed) override;

private:
    int usageError(const QString& error);
    // The run the arguments ask for: its rows gathered and checked, then run.
    int extract(const CommandLine& line);
    // The run itself, with progress, summary and requests to end.
    int runAll(const CommandLine& line, const Confinement& confinement);
    // Why the run cannot begin at all (a tool missing, an output folder that
    // is no full path), or nothing; nothing is written.
    QString preflight(const Confinement& confinement) const;
    int version();
    // The rows the inputs give: PDF files as full paths, folders as their PDF
    // files, "-" as the paths read from in.
    QStringList gather(const CommandLine& line);
    QStringList readPaths(bool nulSeparated);
    void summary();

    QString m_applicationFolder;
    std::FILE* m_in;
    std::FILE* m_out;
    std::FILE* m_err;
    QStringList m_rows;
    QList<qint64> m_bytesBefore; // of the rows before each row, and of all at the end
    QString m_outputFolder;
    Manifest m_manifest;
    bool m_keepManifest = false;
    std::unique_ptr<ProgressLine> m_progress;
    QElapsedTimer m_clock;
    std::unique_ptr<ExtractRun> m_run;
    bool m_interrupted = false;
    int m_problems = 0;
    qsizetype m_saved = 0;
    QString m_leftOut; // the line of what was left out

    // Of the row in progress, and of the rows before it.
    int m_row = 0;
    qsizetype m_done = 0;
    qsizetype m_listed = 0;
    qsizetype m_doneBefore = 0;
    qsizetype m_listedBefore = 0;
};
