// Ini files: line-preserving reads and writes of integer values.
#include "view/ini_file.h"

#include <cctype>
#include <climits>

namespace vistrel {

namespace {

std::string trimmed(const std::string& s) {
  std::size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  std::size_t last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

bool sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

/// The section name of a "[name]" line, or nothing.
bool sectionOf(const std::string& line, std::string& name) {
  std::string t = trimmed(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
  name = trimmed(t.substr(1, t.size() - 2));
  return true;
}

bool keyOf(const std::string& line, std::string& key, std::string& value) {
  std::size_t equals = line.find('=');
  if (equals == std::string::npos) return false;
  key = trimmed(line.substr(0, equals));
  value = line.substr(equals + 1);
  return !key.empty();
}

}  // namespace

int leadingInt(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

void IniFile::parse(const std::string& text) {
  lines_.clear();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(line);
    start = end + 1;
  }
}

std::string IniFile::text() const {
  std::string out;
  for (const std::string& line : lines_) out += line + "\n";
  return out;
}

long IniFile::find(const std::string& section, const std::string& key) const {
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    std::string name, k, v;
    if (sectionOf(lines_[i], name)) {
      inSection = sameName(name, section);
    } else if (inSection && keyOf(lines_[i], k, v) && sameName(k, key)) {
      return static_cast<long>(i);
    }
  }
  return -1;
}

int IniFile::readInt(const std::string& section, const std::string& key, int fallback) const {
  long at = find(section, key);
  if (at < 0) return fallback;
  std::string k, value;
  keyOf(lines_[static_cast<std::size_t>(at)], k, value);
  return leadingInt(value);
}

std::string IniFile::readString(const std::string& section, const std::string& key,
                                const std::string& fallback) const {
  long at = find(section, key);
  if (at < 0) return fallback;
  std::string k, value;
  keyOf(lines_[static_cast<std::size_t>(at)], k, value);
  return value;
}

void IniFile::writeInt(const std::string& section, const std::string& key, int value) {
  writeString(section, key, std::to_string(value));
}

void IniFile::writeString(const std::string& section, const std::string& key,
                          const std::string& value) {
  const std::string line = key + "=" + value;
  long at = find(section, key);
  if (at >= 0) {
    lines_[static_cast<std::size_t>(at)] = line;
    return;
  }
  // A new key goes after the last line of its section, or into a new section at the end.
  long sectionEnd = -1;
  bool inSection = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    std::string name;
    if (sectionOf(lines_[i], name)) {
      inSection = sameName(name, section);
      if (inSection) sectionEnd = static_cast<long>(i) + 1;
    } else if (inSection && !trimmed(lines_[i]).empty()) {
      sectionEnd = static_cast<long>(i) + 1;
    }
  }
  if (sectionEnd < 0) {
    if (!lines_.empty() && !trimmed(lines_.back()).empty()) lines_.push_back("");
    lines_.push_back("[" + section + "]");
    lines_.push_back(line);
  } else {
    lines_.insert(lines_.begin() + sectionEnd, line);
  }
}

}  // namespace vistrel
