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
    const QString pdfs = QStringLiteral("%1/%2").arg(state.pdfsDone).arg(state.pdfs);
    const QString images = QStringLiteral("%1/%2").arg(english.toString(qlonglong(state.imagesDone)),
                                                       english.toString(qlonglong(state.imagesListed)));
    const QString elapsed = duration(state.elapsedMs);
    QString left;
    if (state.fraction >= kLeastFraction && state.elapsedMs >= kLeastElapsedMs && state.fraction < 1.0)
        left = duration(qint64(double(state.elapsedMs) * (1.0 - state.fraction) / state.fraction) + 999);
    // Words go before numbers, and the time left goes last of all: on a
    // narrow terminal it is what a waiting user looks for.
    QStringList forms{QStringLiteral("%1 PDFs  %2 images  %3").arg(pdfs, images, elapsed)};
    if (!left.isEmpty()) {
        forms = QStringList{forms.constFirst() + QStringLiteral("  about %1 left").arg(left),
                            QStringLiteral("%1 PDFs  %2 images  %3  %4 left").arg(pdfs, images, elapsed, left),
                            QStringLiteral("%1  %2  %3  %4 left").arg(pdfs, images, elapsed, left),
                            QStringLiteral("%1  %2  %3 left").arg(pdfs, images, left),
                            QStringLiteral("%1  %2 left").arg(pdfs, left),
                            QStringLiteral("%1 left").arg(left)};
    } else {
        forms.append(QStringLiteral("%1  %2  %3").arg(pdfs, images, elapsed));
    }
    // A line that wraps could no longer be drawn over.
    if (width <= 1)
        return forms.constFirst();
    for (const QString& form : std::as_const(forms))
        if (form.size() < width)
            return form;
    return forms.constLast().left(width - 1);
}

ProgressLine::ProgressLine(std::FILE* out, bool enabled)
    : m_out(out)
    , m_enabled(enabled)
{
}

void ProgressLine::show(const State& state)
{
    // Cleared for a line of other output, it waits its turn all the same.
    if (!m_enabled || (m_lastDrawn.isValid() && !m_lastDrawn.hasExpired(kRedrawMs)))
        return;
    m_lastDrawn.start();
    m_state = state;
    draw();
}

void ProgressLine::draw()
{
    m_shown = true;
    m_cleared = false;
    std::fprintf(m_out, "\r\x1b[K%s", qPrintable(text(m_state, Platform::terminalColumns())));
    std::fflush(m_out);
}

void ProgressLine::clear()
{
    if (!m_shown)
        return;
    m_shown = false;
    m_cleared = true;
    std::fputs("\r\x1b[K", m_out);
    std::fflush(m_out);
}

void ProgressLine::restore()
{
    if (m_cleared)
        draw();
}
