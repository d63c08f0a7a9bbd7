// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QRect>
#include <QSize>

#include <array>

// The main window's layout as a table: where each control sits, in twips,
// and what assistive technology says of it.
namespace Form1Layout {

struct Control {
    const char* name;        // the control's object name
    QRect twips;             // left, top, width and height in twips
    const char* spokenName;  // nullptr: the caption, or the label's text
    const char* description; // what the control does, for screen readers
};

// The client area, in twips.
constexpr QSize kWindowTwips(6975, 3855);

extern const std::array<Control, 10> kControls;

} // namespace Form1Layout
