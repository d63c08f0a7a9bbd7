// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ToolLocator.h"
#include "confine/Confinement.h"

#include <QString>

// Each tool started once with a harmless argument, confined as a run confines
// it: a tool that cannot run so (a library it cannot read, a script this
// system cannot contain) is told before any PDF is worked on, rather than
// once for every PDF.
namespace ToolCheck {

struct Said {
    QString version; // the first line it says of itself
    QString problem; // why it cannot run as it would in a run; empty when it can
};

// The extractor and the encoder of tools, in that order.
QList<Said> check(const ToolLocator::Tools& tools, const Confinement& confinement);

// The first problem of check, naming the tool; empty when both can run.
QString problem(const ToolLocator::Tools& tools, const Confinement& confinement);

} // namespace ToolCheck
