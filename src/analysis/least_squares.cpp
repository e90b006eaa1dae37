// Non-negative least squares. Eigen 3.4 as Debian ships it has no such solver, so the active-set
// method is written here over Eigen's dense Cholesky (LDLT) of the normal equations: the
// systems are small (tens of columns), so forming AᵀA once is far cheaper than a QR per step.
#include "analysis/least_squares.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>

namespace vistrel {

namespace {

using Matrix = Eigen::MatrixXd;
using Vector = Eigen::VectorXd;

/// The least-squares solution over the columns in `passive`, zero elsewhere.
Vector solvePassive(const Matrix& normal, const Vector& projected,
                    const std::vector<bool>& passive) {
  std::vector<Eigen::Index> kept;
  for (std::size_t i = 0; i < passive.size(); ++i) {
    if (passive[i]) kept.push_back(static_cast<Eigen::Index>(i));
  }
  const auto n = static_cast<Eigen::Index>(kept.size());
  Matrix sub(n, n);
  Vector rhs(n);
  for (Eigen::Index r = 0; r < n; ++r) {
    rhs(r) = projected(kept[r]);
    for (Eigen::Index c = 0; c < n; ++c) sub(r, c) = normal(kept[r], kept[c]);
  }
  const Vector solved = sub.ldlt().solve(rhs);
  Vector full = Vector::Zero(projected.size());
  for (Eigen::Index r = 0; r < n; ++r) full(kept[r]) = solved(r);
  return full;
}

}  // namespace

bool nonNegativeLeastSquares(const ColumnMatrix& a, const std::vector<double>& b,
                             std::vector<double>& solution) {
  solution.clear();
  if (a.rows <= 0 || a.columns <= 0 || b.size() != static_cast<std::size_t>(a.rows) ||
      a.values.size() != static_cast<std::size_t>(a.rows) * a.columns) {
    return false;
  }
  const Eigen::Map<const Matrix> A(a.values.data(), a.rows, a.columns);
  const Eigen::Map<const Vector> B(b.data(), a.rows);
  const Matrix normal = A.transpose() * A;
  const Vector projected = A.transpose() * B;
  const Eigen::Index n = a.columns;
  // Gradients below this are rounding, not a direction the fit can still improve in.
  const double tolerance = 1e-12 * std::max(1.0, projected.cwiseAbs().maxCoeff()) * n;

  Vector x = Vector::Zero(n);
  std::vector<bool> passive(static_cast<std::size_t>(n), false);
  for (int step = 0; step < 3 * n; ++step) {
    const Vector gradient = projected - normal * x;
    Eigen::Index entering = -1;
    for (Eigen::Index j = 0; j < n; ++j) {
      if (!passive[j] && gradient(j) > tolerance &&
          (entering < 0 || gradient(j) > gradient(entering))) {
        entering = j;
      }
    }
    if (entering < 0) {
      solution.assign(x.data(), x.data() + n);
      return true;
    }
    passive[entering] = true;
    for (;;) {
      const Vector s = solvePassive(normal, projected, passive);
      double alpha = 1.0;
      bool feasible = true;
      for (Eigen::Index j = 0; j < n; ++j) {
        if (passive[j] && s(j) <= 0) {
          feasible = false;
          alpha = std::min(alpha, x(j) / (x(j) - s(j)));
        }
      }
      if (feasible) {
        x = s;
        break;
      }
      // Step towards s as far as x stays non-negative, and let go of the columns it zeroes.
      x += alpha * (s - x);
      const double zero = 1e-12 * x.cwiseAbs().maxCoeff();
      for (Eigen::Index j = 0; j < n; ++j) {
        if (passive[j] && x(j) <= zero) {
          passive[j] = false;
          x(j) = 0;
        }
      }
    }
  }
  return false;
}

}  // namespace vistrel
