// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStringList>

namespace NaturalOrder {

// Sorts names as a file manager shows them: "img-2" before "img-10",
// letter case ignored, with a plain comparison breaking ties so that the
// order never depends on how a directory happens to store its entries.
void sort(QStringList& names);

} // namespace NaturalOrder
