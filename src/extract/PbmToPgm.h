#pragma once

#include <QString>

namespace PbmToPgm {

// Writes the black-and-white image of the PBM file at from as an 8-bit grey
// PGM file at to (black 0, white 255), which the JPEG encoder can read.
// Returns false, leaving nothing at to, when from is not a readable PBM file
// or to cannot be written.
bool Convert(const QString& from, const QString& to);

} // namespace PbmToPgm
