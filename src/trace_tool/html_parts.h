// Pieces the tool's HTML pages share: escaping, and the map of a plate with its wells.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vistrel {

/// `text` as a page's text or an attribute's value, as valid UTF-8. A line break stays one (a
/// tooltip of several reads has a line each); other control characters become spaces.
std::string escapeHtml(const std::string& text);

/// The style of the plate maps.
extern const char kPlateMapStyle[];

/// Rows of a table laid on plates: row indices by plate and well, the plates in the order
/// their first row comes, and the rows without a well.
struct PlateLayout {
  using Wells = std::map<std::pair<int, int>, std::vector<std::size_t>>;  ///< (row, column)
  std::vector<std::string> names;
  std::map<std::string, Wells> plates;
  std::vector<std::size_t> unplaced;
};

/// The layout of `count` rows, row i on plate `plateOf(i)` at well `wellOf(i)` (A01 to P24).
PlateLayout layOutPlates(std::size_t count, const std::function<std::string(std::size_t)>& plateOf,
                         const std::function<std::string(std::size_t)>& wellOf);

/// One plate as a map of 96 wells, or 384 when a well lies beyond H or 12. Each well that holds
/// rows is the `<td>` that `cell(wellName, rows)` gives; `what` names the rows in the heading
/// ("read", "sample").
std::string plateMapHtml(
    const std::string& name, const PlateLayout::Wells& wells, const char* what,
    const std::function<std::string(const std::string&, const std::vector<std::size_t>&)>& cell);

}  // namespace vistrel
