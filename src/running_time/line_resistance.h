// The line's share of the resistance: the gradients and the curves, as the
// mean per mille under the train. The train's mass is taken as spread
// evenly over its length, so a train climbs into a gradient gradually.
#ifndef SB_RUNNING_TIME_LINE_RESISTANCE_H_
#define SB_RUNNING_TIME_LINE_RESISTANCE_H_

#include <vector>

#include "compiler/scenario.h"

namespace sb::running {

// The equivalent gradient of a curve of `radius` m on standard gauge, in per
// mille: Röckl's formula. Radii below kSmallestRadius count as that radius.
double CurveResistancePerMille(double radius);
inline constexpr double kSmallestRadius = 100.0;

class LineResistance {
 public:
  explicit LineResistance(const Scenario& s);

  // The mean over [head - length, head]: before metre 0 and past the
  // cells the line counts as level and straight. A train of no length
  // takes the value at its head.
  double MeanGradient(double head, double length) const;  // per mille, rising positive
  double MeanCurve(double head, double length) const;     // per mille

 private:
  // Per cell, per mille metres summed over the cells before it, and the
  // per mille of the cell itself, spread evenly across it.
  struct Integral {
    std::vector<double> before;
    std::vector<double> density;
    double At(double x) const;
    double Mean(double head, double length) const;
  };
  Integral gradient_;
  Integral curve_;
};

}  // namespace sb::running

#endif  // SB_RUNNING_TIME_LINE_RESISTANCE_H_
