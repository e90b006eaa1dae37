// A small ini-file model: sections of key=value lines, names compared without regard to case,
// and every line it does not change kept as it was.
#pragma once

#include <string>
#include <vector>

namespace vistrel {

class IniFile {
 public:
  /// Parses `text`; nothing in it is an error.
  void parse(const std::string& text);
  std::string text() const;

  /// The integer under `key` of `section`, read as its leading optionally signed decimal
  /// number (0 when the value does not start with one), or `fallback` when the key is absent.
  int readInt(const std::string& section, const std::string& key, int fallback) const;
  /// Stores `value` as decimal text, adding the section and key when they are missing.
  void writeInt(const std::string& section, const std::string& key, int value);
  /// The text after '=' under `key` of `section` as it stands, or `fallback` when the key is
  /// absent.
  std::string readString(const std::string& section, const std::string& key,
                         const std::string& fallback) const;
  /// Stores `value` (which must hold no line break) as it is.
  void writeString(const std::string& section, const std::string& key, const std::string& value);

 private:
  /// Index of the line holding `key` in `section`, or -1.
  long find(const std::string& section, const std::string& key) const;
  std::vector<std::string> lines_;
};

/// Parses a leading optionally signed decimal number after white space, as the settings file
/// expects; 0 when there is none. Values beyond 32 bits are clamped.
int leadingInt(const std::string& text);

}  // namespace vistrel
