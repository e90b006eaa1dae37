// Well names: one reading of "a row letter and a column" for the table and the page.
#include "trace_tool/wells.h"

#include <cctype>
#include <cstdio>

#include "platform/paths.h"

namespace vistrel {

namespace {

constexpr int kRows = 16;     // A to P
constexpr int kColumns = 24;  // 1 to 24

/// The well written at `at` in `text` (a letter A to P, then one or two digits making 1 to 24),
/// with `end` after it.
std::optional<WellPosition> wellAt(std::string_view text, std::size_t at, std::size_t& end) {
  if (at >= text.size() || text[at] < 'A' || text[at] >= 'A' + kRows) return std::nullopt;
  end = at + 1;
  int column = 0;
  while (end < text.size() && end < at + 3 && std::isdigit(static_cast<unsigned char>(text[end]))) {
    column = column * 10 + (text[end++] - '0');
  }
  if (end == at + 1 || column < 1 || column > kColumns) return std::nullopt;
  return WellPosition{text[at] - 'A', column};
}

}  // namespace

std::optional<WellPosition> wellPosition(std::string_view well) {
  std::size_t end = 0;
  const std::optional<WellPosition> at = wellAt(well, 0, end);
  return at && end == well.size() ? at : std::nullopt;
}

std::string wellName(WellPosition well) {
  char name[8];
  std::snprintf(name, sizeof name, "%c%02d", 'A' + well.row, well.column);
  return name;
}

std::string wellFromFileName(std::string_view path) {
  const std::string name = fileNameOf(path);
  auto apart = [&](std::size_t i) {
    return i >= name.size() || std::isalnum(static_cast<unsigned char>(name[i])) == 0;
  };
  // The last such name: the well usually follows the sample's name and a plate's ("P1_C03").
  for (std::size_t i = name.size(); i-- > 0;) {
    std::size_t end = 0;
    if (i > 0 && !apart(i - 1)) continue;
    const std::optional<WellPosition> well = wellAt(name, i, end);
    if (well && apart(end)) return wellName(*well);
  }
  return {};
}

std::string wellOfRead(std::string_view tube, std::string_view path) {
  if (tube.empty()) return wellFromFileName(path);
  const std::string well = wellFromFileName(tube);
  return well.empty() ? std::string(tube) : well;
}

}  // namespace vistrel
