// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

// The one line on a terminal that shows how far a run has come, drawn over
// itself at most ten times a second. Where the output is no terminal it
// draws nothing.
class ProgressLine
{
public:
    struct State {
        int pdfsDone = 0;
        int pdfs = 0;
        qsizetype imagesDone = 0;   // of the PDFs begun
        qsizetype imagesListed = 0; // what the lists of the PDFs begun name
        double fraction = 0;        // of the whole work
        qint64 elapsedMs = 0;
    };

    // "3/120 PDFs  1,234/1,500 images  0:42  about 2:10 left", cut to width.
    static QString text(const State& state, int width);

    ProgressLine(std::FILE* out, bool enabled);

    bool enabled() const { return m_enabled; }
    // Draws state unless a line was drawn less than a tenth of a second ago.
    void show(const State& state);
    // Takes the line away, so that other output can take its place.
    void clear();

private:
    std::FILE* m_out;
    bool m_enabled;
    bool m_shown = false;
    QElapsedTimer m_lastDrawn;
};
