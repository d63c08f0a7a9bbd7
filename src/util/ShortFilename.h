// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

namespace ShortFilename {

// The short form of an existing file or folder, or the empty string when the
// platform cannot give one (for example because the path does not exist).
QString GetShortName(const QString& path);

} // namespace ShortFilename
