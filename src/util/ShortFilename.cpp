// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ShortFilename.h"

#include "Platform.h"

namespace ShortFilename {

QString GetShortName(const QString& path)
{
    return Platform::shortPathName(path);
}

} // namespace ShortFilename
