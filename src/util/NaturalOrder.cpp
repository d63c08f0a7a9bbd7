// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "NaturalOrder.h"

#include <QCollator>

#include <algorithm>

namespace NaturalOrder {

void sort(QStringList& names)
{
    if (names.size() < 2)
        return;
    // Opening a collator costs far more than a comparison; a folder scan sorts
    // thousands of short lists, so each thread keeps one.
    thread_local const QCollator collator = [] {
        // The C locale collates byte by byte and ignores the numeric mode, so
        // a machine without a language setting sorts as English does.
        QLocale locale = QLocale::system();
        if (locale.language() == QLocale::C)
            locale = QLocale(QLocale::English, QLocale::UnitedStates);
        QCollator made{locale};
        made.setNumericMode(true);
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = collator.compare(a, b);
        return c != 0 ? c < 0 : a < b;
    });
}

} // namespace NaturalOrder
