#include "running_time/line_resistance.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace sb::running {
namespace {

constexpr double kCell = kCellLength;
// Cells store the gradient plus this.
constexpr int kGradientBias = 100;

// The sums before each cell of `perCell` (per mille metres).
std::vector<double> Before(const std::vector<double>& perCell) {
  std::vector<double> before(perCell.size() + 1, 0.0);
  for (std::size_t k = 0; k < perCell.size(); ++k) before[k + 1] = before[k] + perCell[k];
  return before;
}

}  // namespace

double CurveResistancePerMille(double radius) {
  const double r = std::max(radius, kSmallestRadius);
  if (r >= 300.0) return 650.0 / (r - 55.0);
  return 500.0 / (r - 30.0);
}

LineResistance::LineResistance(const Scenario& s) {
  const std::size_t cells = s.hasGrid ? s.cells.size() : 0;
  std::vector<double> gradient(cells, 0.0);
  for (std::size_t k = 0; k < cells; ++k) {
    gradient[k] =
        static_cast<double>(static_cast<int>(s.cells[k].gradient) - kGradientBias) * kCell;
  }
  gradient_.before = Before(gradient);
  gradient_.density.resize(cells);
  for (std::size_t k = 0; k < cells; ++k) gradient_.density[k] = gradient[k] / kCell;

  // Whole cells through a running difference, the cells a curve begins or
  // ends inside by the metres it covers there: the cost is the curves' count
  // plus the cells', however long the curves.
  std::vector<double> curve(cells, 0.0);
  std::vector<double> step(cells + 1, 0.0);
  const double lineEnd = static_cast<double>(cells) * kCell;
  for (const Scenario::CurveSource& c : s.curveSources) {
    const double bend = std::fabs(c.curvature);
    if (!(bend > 0) || !std::isfinite(bend) || c.length <= 0) continue;
    const double perMille = CurveResistancePerMille(1.0 / bend);
    const double from = std::clamp(static_cast<double>(c.start), 0.0, lineEnd);
    const double to =
        std::clamp(static_cast<double>(c.start) + static_cast<double>(c.length), 0.0, lineEnd);
    if (!(to > from)) continue;
    const std::size_t first = static_cast<std::size_t>(from / kCell);
    const std::size_t last = std::min(static_cast<std::size_t>(to / kCell), cells - 1);
    if (first == last) {
      curve[first] += perMille * (to - from);
      continue;
    }
    curve[first] += perMille * ((static_cast<double>(first) + 1.0) * kCell - from);
    curve[last] += perMille * (to - static_cast<double>(last) * kCell);
    step[first + 1] += perMille;
    step[last] -= perMille;
  }
  double whole = 0;
  for (std::size_t k = 0; k < cells; ++k) {
    whole += step[k];
    curve[k] += whole * kCell;
  }
  curve_.before = Before(curve);
  curve_.density.resize(cells);
  for (std::size_t k = 0; k < cells; ++k) curve_.density[k] = curve[k] / kCell;
}

double LineResistance::Integral::At(double x) const {
  if (!(x > 0) || density.empty()) return 0.0;
  const double cell = x / kCell;
  if (!(cell < static_cast<double>(density.size()))) return before.back();
  const std::size_t k = static_cast<std::size_t>(cell);
  return before[k] + (x - static_cast<double>(k) * kCell) * density[k];
}

double LineResistance::Integral::Mean(double head, double length) const {
  if (!(length > 1e-6)) {
    if (!(head >= 0) || !(head / kCell < static_cast<double>(density.size()))) return 0.0;
    return density[static_cast<std::size_t>(head / kCell)];
  }
  return (At(head) - At(head - length)) / length;
}

double LineResistance::MeanGradient(double head, double length) const {
  return gradient_.Mean(head, length);
}

double LineResistance::MeanCurve(double head, double length) const {
  return curve_.Mean(head, length);
}

}  // namespace sb::running
