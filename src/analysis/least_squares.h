// Least squares with non-negative coefficients: the one place that solves linear systems, so
// the linear-algebra library stays behind this small interface.
#pragma once

#include <cstdint>
#include <vector>

namespace vistrel {

/// A dense matrix of `rows` by `columns`, column after column.
struct ColumnMatrix {
  std::int32_t rows = 0;
  std::int32_t columns = 0;
  std::vector<double> values;  ///< rows * columns values; column c starts at c * rows

  double* column(std::int32_t c) { return values.data() + static_cast<std::size_t>(c) * rows; }
  const double* column(std::int32_t c) const {
    return values.data() + static_cast<std::size_t>(c) * rows;
  }
};

/// The x >= 0 that minimises |A x - b|, by the active-set method of Lawson and Hanson over the
/// normal equations. False, leaving `solution` empty, when the sizes do not agree or the
/// method does not settle within its bound of steps (three per column).
bool nonNegativeLeastSquares(const ColumnMatrix& a, const std::vector<double>& b,
                             std::vector<double>& solution);

}  // namespace vistrel
