// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <functional>
#include <limits>

class QIODevice;

namespace PbmToPgm {

// Writes the black-and-white image of the PBM file at from as an 8-bit grey
// PGM file at to (black 0, white 255), which the JPEG encoder can read. The
// image goes through a row at a time, so memory stays small whatever its
// size, and keepGoing is called every few rows, so that a long conversion can
// let the window answer; when it returns false the conversion stops. Returns
// false, leaving nothing at to, when from is not a whole readable PBM file,
// to exists already or cannot be written, or the conversion was stopped; why,
// when given, then holds the system's word for a file that could not be
// opened or written. An image of more than mostPixels is not converted: a
// small file can claim a huge image, and its grey form is eight times its
// size.
bool convert(const QString& from, const QString& to, const std::function<bool()>& keepGoing = {},
             QString* why = nullptr, qint64 mostPixels = std::numeric_limits<qint64>::max());

// The same from the device in, read from its start, to the device out, both
// open; false when in holds no whole PBM image, out takes no more or the
// conversion was stopped, with out then holding what was written so far.
bool convert(QIODevice& in, QIODevice& out, const std::function<bool()>& keepGoing = {});

} // namespace PbmToPgm
