// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: LicenseRef-proprietary

#pragma once

#include "util/Pointer.h"

#include <QString>

// What the extraction run needs of the window, and nothing more: the rows, the
// output folder, the progress bar, the pointer and the message box. The main
// window implements it; tests and the benchmark implement it headless.
class ExtractHost
{
public:
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
};
