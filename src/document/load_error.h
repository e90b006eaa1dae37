// Why reading a trace file failed, and the message the user sees for it.
#pragma once

#include <string>

namespace vistrel {

struct LoadError {
  enum Kind { None, OpenFailed, NoMemory, Unreadable, Corrupt };
  Kind kind = None;
  int openErrorCode = 0;  ///< for OpenFailed

  explicit operator bool() const { return kind != None; }
};

inline constexpr const char* kCorruptDataMessage = "Not an ABI or SCF file,\nor data is corrupt";
inline constexpr const char* kNoMemoryToOpenMessage = "Insufficient memory\nto open this file";
inline constexpr const char* kUnreadableMessage = "The file could not be read";
inline constexpr const char* kCannotOpenMessage = "The file could not be opened";

/// The exact text shown for `error`.
std::string loadErrorMessage(const LoadError& error);

/// True for the one load message shown without an owner window and without the program's
/// caption (the read failure).
bool isOwnerlessMessage(const LoadError& error);

}  // namespace vistrel
