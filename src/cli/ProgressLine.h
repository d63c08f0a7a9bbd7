// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

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

    // "3/120 PDFs  1,234/1,500 images  0:42  about 2:10 left", shorter than
    // width: words are dropped first, then the numbers, and the time left
    // last ("3/120  1,234/1,500  0:42  2:10 left" at 40 columns). A width
    // of 0 or 1 (not known) takes the whole line.
    static QString text(const State& state, int width);

    ProgressLine(std::FILE* out, bool enabled);

    bool enabled() const { return m_enabled; }
    // Draws state unless a line was drawn less than a tenth of a second ago.
    void show(const State& state);
    // Takes the line away, so that other output can take its place.
    void clear();
    // Draws the line clear() took away once more, as it was.
    void restore();

private:
    void draw();

    std::FILE* m_out;
    bool m_enabled;
    bool m_shown = false;
    bool m_cleared = false; // by clear(), from a line that restore() brings back
    State m_state;
    QElapsedTimer m_lastDrawn;
};
