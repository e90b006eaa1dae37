// The program's name and version as it marks what it writes: saved files and printed pages.
#pragma once

namespace vistrel {

inline constexpr const char* kProgramIdentification = "Vistrel 1.45";

}  // namespace vistrel
