// The picture of one scenario, built as SVG text: the header, the plan of
// the line, the strips on one kilometre axis, the legend. The plan is drawn
// first, since where the legend goes depends on the room the line leaves.
#ifndef SB_TOOLS_RENDER_PICTURE_H_
#define SB_TOOLS_RENDER_PICTURE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/scenario_features.h"
#include "tools/render/geometry.h"
#include "tools/render/render_input.h"

namespace sb::render {

// The SVG document. Every kind of feature has one colour, used in the plan,
// the strips and the legend alike.
std::string RenderSvg(const RenderInput& input);

// ---- look ----

// One colour per kind of thing, in the plan, the strips and the legend.
namespace colour {
inline constexpr const char* kTrack = "#3b3b3b";
inline constexpr const char* kOverrun = "#9a9a9a";
inline constexpr const char* kStation = "#1f5fbf";
inline constexpr const char* kSignal = "#d62728";
inline constexpr const char* kSlowdown = "#f28e2b";
inline constexpr const char* kSpeedLimit = "#2a9d3a";
inline constexpr const char* kSpeedPoint = "#0b5d4b";
inline constexpr const char* kGradient = "#8c6d31";
inline constexpr const char* kMountain = "#8e6bbf";
inline constexpr const char* kSpeedBoard = "#59656f";
inline constexpr const char* kTextBoard = "#d0509a";
inline constexpr const char* kKmJump = "#b3261e";
inline constexpr const char* kComputedSpeed = "#3949ab";
inline constexpr const char* kRunningTime = "#00838f";
inline constexpr const char* kGrid = "#e3e3e3";
inline constexpr const char* kAxis = "#777777";
inline constexpr const char* kText = "#222222";
inline constexpr const char* kMuted = "#6b6b6b";
}  // namespace colour

inline constexpr double kWidth = 1600;
inline constexpr double kMargin = 24;
inline constexpr double kAxisLeft = 110;  // strips: room for the y-axis labels
inline constexpr double kAxisRight = kWidth - 40;
inline constexpr double kPlanMaxHeight = 900;
inline constexpr double kPlanMinHeight = 260;
inline constexpr double kPlanLabelRoom = 170;  // beside the line, for station names
inline constexpr double kLegendWidth = 400;
inline constexpr double kLabelSize = 11;  // station names
inline constexpr double kSmallSize = 10;

// Each part appends its SVG and moves the page's `y` below what it drew.
class Picture {
 public:
  explicit Picture(const RenderInput& in);

  // The whole document.
  std::string Build();

 private:
  double X(double metres) const { return axis_.X(metres); }
  double CellX(int64_t cell) const { return axis_.CellX(cell); }

  std::string Header(double* y);
  std::string Legend(double x, double y, double width, double* bottom) const;

  // ---- plan (picture_plan.cc) ----
  bool HasPoint(int32_t m) const;
  std::string Plan(double* y);
  // Scales the plan's points into the page from `top`: sets the placement,
  // the plan's box and where the legend goes.
  void PlacePlan(double top);
  std::string PlanFeatures(int32_t step);
  Pt At(int32_t metre) const;
  std::vector<Pt> Points(int32_t from, int32_t to, int32_t step) const;
  std::string StationsOnPlan();
  std::string ScaleBar(double x, double y) const;
  std::string NorthArrow(double x, double y) const;

  // ---- strips (picture_strips.cc) ----
  struct Strip {
    double top = 0;
    double height = 0;
  };
  Strip BeginStrip(const std::string& title, double height, double* y, std::string* s) const;
  std::string Strips(double* y);
  std::string Grid(double top, double bottom) const;
  std::string AxisBelow(double bottom, double* y) const;
  std::string KmJumps(double bottom) const;
  std::string YLabel(double yPix, const std::string& text) const;
  std::string GradientStrip(double* y);
  std::string SpeedStrip(double* y);
  std::string SlowdownStrip(double* y);
  std::string SignalStrip(double* y);
  std::string StationStrip(double* y);
  std::string MountainStrip(double* y);
  std::string BoardStrip(double* y);
  // ---- the computed run (picture_running.cc) ----
  bool HasRunningCurve() const;
  std::string RunningSpeedStrip(double* y);
  std::string RunningTimeStrip(double* y);
  std::string RunningNote(double* y) const;

  const RenderInput& in_;
  std::vector<Station> stations_;
  std::vector<Slowdown> slowdowns_;
  int64_t lastCell_ = 0;
  KmAxis axis_;
  int32_t lineLength_ = 0;
  std::size_t filled_ = 0;
  PlanPlacement placement_;
  int32_t lastMetre_ = -1;
  Box planBox_{0, 0, 0, 0};
  std::vector<Pt> track_;
  bool legendBeside_ = false;
};

}  // namespace sb::render

#endif  // SB_TOOLS_RENDER_PICTURE_H_
