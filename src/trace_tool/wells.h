// Wells of a sequencing plate as the qc table and its page name them: A01 to P24.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vistrel {

struct WellPosition {
  int row = 0;     ///< 0 for A
  int column = 0;  ///< from 1
};

/// The position `well` names when it is exactly a well, A01 (or A1) to P24; nothing otherwise.
std::optional<WellPosition> wellPosition(std::string_view well);

/// The well written as A01.
std::string wellName(WellPosition well);

/// The well named in a file name: the last row letter A to P with a column 1 to 24 set apart
/// from the rest of the name (A01, H12_, -B7.), written as A01; empty when there is none.
std::string wellFromFileName(std::string_view path);

/// The well of a read: the one its file names (its TUBE entry `tube`, written as A01 when it
/// holds a well name, else as it is), or else the one its file name `path` gives.
std::string wellOfRead(std::string_view tube, std::string_view path);

}  // namespace vistrel
