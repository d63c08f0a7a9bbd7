// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QRect>
#include <QtGlobal>

// The window is laid out in twips, as its first design was: 15 twips make one
// pixel at the screen density it was drawn for.
namespace Twips {

constexpr double kPerPixel = 15.0;

inline int toPixels(int twips)
{
    return qRound(twips / kPerPixel);
}

inline QRect toPixels(const QRect& twips)
{
    return QRect(toPixels(twips.left()), toPixels(twips.top()), toPixels(twips.width()), toPixels(twips.height()));
}

} // namespace Twips
