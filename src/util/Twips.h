// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: LicenseRef-proprietary

#pragma once

#include <QRect>
#include <QtGlobal>

// The window is laid out in twips, as its first design was: 15 twips make one
// pixel at the screen density it was drawn for.
namespace Twips {

constexpr double kPerPixel = 15.0;

inline int ToPixels(int twips)
{
    return qRound(twips / kPerPixel);
}

inline QRect ToPixels(const QRect& twips)
{
    return QRect(ToPixels(twips.left()), ToPixels(twips.top()), ToPixels(twips.width()), ToPixels(twips.height()));
}

} // namespace Twips
