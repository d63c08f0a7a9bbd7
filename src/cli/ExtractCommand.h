// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "CommandLine.h"
#include "Manifest.h"
#include "ProgressLine.h"
#include "confine/Confinement.h"
#include "extract/ExtractHost.h"

#include <QByteArray>
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

    // applicationFolder: where the tools are looked for first. in is read
    // for "-".
    ExtractCommand(QString applicationFolder, std::FILE* in, std::FILE* out, std::FILE* err);
    ~ExtractCommand() override;

    // Standard output was closed when the program started ("1>&-"): nothing
    // that is meant for it is written anywhere else.
    void setStandardOutputClosed(bool closed) { m_outClosed = closed; }

    // Does what the arguments (without the program's name) ask; returns the
    // exit code. bytes, when given, are the same arguments as the system
    // passed them, so that a path that is no text is never taken for another.
    int run(const QStringList& arguments, const QList<QByteArray>& bytes = {});
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
    // The usage error of a path given for the output folder or the manifest
    // (what names which): no text, or relative while the current folder
    // cannot be read; home: "~/" is the home folder, as in the window's box.
    QString pathProblem(const CommandLine& line, const QString& given, const char* what, bool home);
    // Why --manifest may not write to its file, or nothing.
    QString manifestProblem(const QString& manifest) const;
    int version();
    // The rows the inputs give: PDF files as full paths, folders as their PDF
    // files, "-" as the paths read from in. Paths that are no text go to
    // m_noText; a relative path the current folder cannot resolve is a usage
    // error in m_relativeProblem.
    QStringList gather(const CommandLine& line);
    QList<QByteArray> readPaths(bool nulSeparated);
    // The full path of a path given; empty when it is relative and the
    // current folder cannot be read.
    QString fullPath(const QString& path);
    // What standard output was to get could not be written (the manifest, a
    // closed pipe): the run ends as an interrupted one does.
    void outputFailed(const QString& why);
    // Ends with the problem line when standard output could not be written.
    int flushOutput();
    void summary();

    QString m_applicationFolder;
    std::FILE* m_in;
    std::FILE* m_out;
    std::FILE* m_err;
    QStringList m_rows;
    QList<qint64> m_bytesBefore; // of the rows before each row, and of all at the end
    QString m_outputFolder;
    bool m_outClosed = false;
    Manifest m_manifest;
    QString m_manifestName; // as given
    bool m_keepManifest = false;
    bool m_manifestOnTerminal = false; // the progress line is cleared for its lines
    bool m_outputFailed = false;
    QString m_base;          // the current folder, which relative paths are taken from
    QString m_noBase;        // why there is none, once asked
    bool m_baseRead = false; // m_base and m_noBase are known
    QString m_relativeProblem;
    QList<QByteArray> m_noText; // inputs, and paths met in folders, that are no text
    std::unique_ptr<ProgressLine> m_progress;
    QElapsedTimer m_clock;
    std::unique_ptr<ExtractRun> m_run;
    bool m_interrupted = false;
    int m_problems = 0;
    int m_pdfsDone = 0; // of the run, once it has ended
    qsizetype m_saved = 0;
    QString m_leftOut; // the line of what was left out

    // Of the row in progress, and of the rows before it.
    int m_row = 0;
    qsizetype m_done = 0;
    qsizetype m_listed = 0;
    qsizetype m_doneBefore = 0;
    qsizetype m_listedBefore = 0;
};
