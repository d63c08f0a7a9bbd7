// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class QWidget;

// The program's message boxes: OK alone, no icon, the application title as
// caption. A carriage return in the text breaks the line, as it does in a
// system message box.
namespace MessageBox {

// Shows text until the user closes the box. details, when given, can be
// unfolded below it. While the box is up the owner takes no input, yet it
// can still be closed: a close request never waits for the box.
void show(QWidget* owner, const QString& text, const QString& details = QString());

} // namespace MessageBox
