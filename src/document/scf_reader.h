// Reader of SCF trace files, versions 1 to 3 with 8- or 16-bit samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "document/chromatogram.h"
#include "document/load_error.h"

namespace vistrel {

/// Decodes the SCF data of `size` bytes at `data` into `document`, with the samples scaled so
/// that the largest is 1600. The document keeps nothing of the data. On failure `document` is
/// untouched and the error says why.
LoadError readScf(const std::uint8_t* data, std::size_t size, Chromatogram& document);

/// Scales `count` samples so that the largest becomes 1600 (v * 1600 / largest, truncated).
/// All-zero samples stay zero.
void scaleSamplesTo1600(std::uint16_t* samples, std::size_t count);

/// The run-ended text of an SCF comment block: the value of its first line that begins with
/// STOP, or "Run ended: (unknown)".
std::string runEndedFromComments(const std::uint8_t* text, std::size_t size);

}  // namespace vistrel
