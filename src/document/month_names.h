// English three-letter month names, shared by the run date of ABI files and the save-date line.
#pragma once

namespace vistrel {

/// "Jan" for 1 up to "Dec" for 12; nullptr for any other value.
inline const char* monthName(int month) {
  static constexpr const char* kNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  return month >= 1 && month <= 12 ? kNames[month - 1] : nullptr;
}

}  // namespace vistrel
