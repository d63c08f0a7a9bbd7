// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "util/Pointer.h"

#include <QString>
#include <QtGlobal>

// What the extraction run needs of the window, and nothing more: the rows, the
// output folder, the progress bar, the pointer and the message box. The main
// window implements it; the command line, tests and the benchmark implement it
// without one.
class ExtractHost
{
public:
    // One JPEG file the run saved, and what it was in its PDF.
    struct SavedImage {
        QString jpeg;   // the file's path
        QString source; // the PDF's path, as its row has it
        int page = 0;   // 0 when the extractor's list could not tell
        int index = 0;  // the extractor's number of the image in the PDF, from 0
        int width = 0;  // 0 when unknown
        int height = 0;
        QString kind;      // "image", "mask", "smask" or "stencil"; empty when unknown
        bool kept = false; // a JPEG image saved as it was, not encoded
    };

    virtual ~ExtractHost() = default;

    // The current number of rows of the source list.
    virtual int sourceCount() const = 0;
    // The text of row `row`, counted from 1.
    virtual QString sourceText(int row) const = 0;
    // The output folder exactly as typed.
    virtual QString outputFolderText() const = 0;

    virtual void setProgress(int percent) = 0;
    // Pointer::Hourglass while the run works, Pointer::Default at its end.
    virtual void setMousePointer(Pointer pointer) = 0;
    // A modal message; the run goes on once it has been closed. details, when
    // given, is the whole of what text shortens, for the user to look up.
    virtual void showMessage(const QString& text, const QString& details = QString()) = 0;

    // What a host that keeps a record may want to know, as it happens; the
    // window needs none of it.
    // What went wrong with the PDF at source (its row's text), once it is
    // done; the final message names it by its file name.
    virtual void problemFound(const QString& source, const QString& problem)
    {
        Q_UNUSED(source);
        Q_UNUSED(problem);
    }
    virtual void imageSaved(const SavedImage& image) { Q_UNUSED(image); }
    // "412 images left out (masks, tiny images, repeats)", as the run ends,
    // when anything was.
    virtual void leftOut(const QString& line) { Q_UNUSED(line); }
    // Row `row` of `rows` is being worked on, and of the images its list
    // names, `done` are done; listed is 0 while no list is known.
    virtual void rowProgress(int row, int rows, qsizetype done, qsizetype listed)
    {
        Q_UNUSED(row);
        Q_UNUSED(rows);
        Q_UNUSED(done);
        Q_UNUSED(listed);
    }
};
