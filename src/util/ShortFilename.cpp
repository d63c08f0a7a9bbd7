// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: LicenseRef-proprietary

#include "ShortFilename.h"

#include "Platform.h"

namespace ShortFilename {

QString GetShortName(const QString& path)
{
    return Platform::shortPathName(path);
}

} // namespace ShortFilename
