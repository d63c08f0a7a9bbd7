// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ProgressLine.h"

#include "util/Platform.h"

#include <QLocale>

namespace {

QString duration(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    if (seconds >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// An estimate needs some work done to go by.
constexpr double kLeastFraction = 0.01;
constexpr qint64 kLeastElapsedMs = 1000;
constexpr qint64 kRedrawMs = 100;

} // namespace

QString ProgressLine::text(const State& state, int width)
{
    const QLocale english(QLocale::English);
    QString line = QStringLiteral("%1/%2 PDFs  %3/%4 images  %5")
                       .arg(state.pdfsDone)
                       .arg(state.pdfs)
                       .arg(english.toString(qlonglong(state.imagesDone)),
                            english.toString(qlonglong(state.imagesListed)), duration(state.elapsedMs));
    if (state.fraction >= kLeastFraction && state.elapsedMs >= kLeastElapsedMs && state.fraction < 1.0) {
        const double left = double(state.elapsedMs) * (1.0 - state.fraction) / state.fraction;
        line += QStringLiteral("  about %1 left").arg(duration(qint64(left) + 999));
    }
    // A line that wraps could no longer be drawn over.
    if (width > 1 && line.size() >= width)
        line.truncate(width - 1);
    return line;
}

ProgressLine::ProgressLine(std::FILE* out, bool enabled)
    : m_out(out)
    , m_enabled(enabled)
{
}

void ProgressLine::show(const State& state)
{
    if (!m_enabled || (m_shown && !m_lastDrawn.hasExpired(kRedrawMs)))
        return;
    m_lastDrawn.start();
    m_shown = true;
    std::fprintf(m_out, "\r\x1b[K%s", qPrintable(text(state, Platform::terminalColumns())));
    std::fflush(m_out);
}

void ProgressLine::clear()
{
    if (!m_shown)
        return;
    m_shown = false;
    std::fputs("\r\x1b[K", m_out);
    std::fflush(m_out);
}
