#include "running_time/line_resistance.h"

#include <algorithm>
#include <cmath>

namespace sb::running {
namespace {

constexpr double kCell = kCellLength;
// Cells store the gradient plus this.
constexpr int kGradientBias = 100;

// Turns per cell values, stored one place on (at k + 1 for cell k), into
// the sums before each cell boundary.
void SumUp(std::vector<double>& before) {
  for (std::size_t k = 1; k < before.size(); ++k) before[k] += before[k - 1];
}

}  // namespace

double CurveResistancePerMille(double radius) {
  const double r = std::max(radius, kSmallestRadius);
  if (r >= 300.0) return 650.0 / (r - 55.0);
  return 500.0 / (r - 30.0);
}

LineResistance::LineResistance(const Scenario& s) {
  const std::size_t cells = s.hasGrid ? s.cells.size() : 0;
  gradient_.before.assign(cells + 1, 0.0);
  for (std::size_t k = 0; k < cells; ++k) {
    gradient_.before[k + 1] =
        static_cast<double>(static_cast<int>(s.cells[k].gradient) - kGradientBias) * kCell;
  }
  SumUp(gradient_.before);

  // Whole cells through a running difference, the cells a curve begins or
  // ends inside by the metres it covers there: the cost is the curves' count
  // plus the cells', however long the curves.
  curve_.before.assign(cells + 1, 0.0);
  if (s.curveSources.empty() || cells == 0) return;
  std::vector<double>& curve = curve_.before;
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
      curve[first + 1] += perMille * (to - from);
      continue;
    }
    curve[first + 1] += perMille * ((static_cast<double>(first) + 1.0) * kCell - from);
    curve[last + 1] += perMille * (to - static_cast<double>(last) * kCell);
    step[first + 1] += perMille;
    step[last] -= perMille;
  }
  double whole = 0;
  for (std::size_t k = 0; k < cells; ++k) {
    whole += step[k];
    curve[k + 1] += whole * kCell;
  }
  SumUp(curve);
}

double LineResistance::Integral::Density(std::size_t cell) const {
  return (before[cell + 1] - before[cell]) / kCell;
}

double LineResistance::Integral::At(double x) const {
  const std::size_t cells = before.size() - 1;
  if (!(x > 0) || cells == 0) return 0.0;
  const double cell = x / kCell;
  if (!(cell < static_cast<double>(cells))) return before.back();
  const std::size_t k = static_cast<std::size_t>(cell);
  return before[k] + (x - static_cast<double>(k) * kCell) * Density(k);
}

double LineResistance::Integral::Mean(double head, double length) const {
  if (!(length > 1e-6)) {
    if (!(head >= 0) || !(head / kCell < static_cast<double>(before.size() - 1))) return 0.0;
    return Density(static_cast<std::size_t>(head / kCell));
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
