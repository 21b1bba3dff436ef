// Keeping the picture's labels apart: how wide a text is, the rows of the
// station strip, and the room for a name and its leader on the plan.
#ifndef SB_TOOLS_RENDER_LABEL_LAYOUT_H_
#define SB_TOOLS_RENDER_LABEL_LAYOUT_H_

#include <cstddef>
#include <string>
#include <vector>

#include "tools/render/geometry.h"

namespace sb::render {

// Width of a text in a sans-serif font, estimated per character; only used
// to keep labels apart, so it errs on the wide side.
double TextWidth(const std::string& utf8, double size);

// ---- rows beside a bar (the station strip) ----

inline constexpr int kLabelRows = 5;  // label rows on each side of the bar

// A label to place: `id` is the caller's, `anchor` the x of what it names.
struct RowLabel {
  std::size_t id;
  double anchor;
  double width;
};
struct PlacedLabel {
  std::size_t id;
  int side;  // 0 above the bar, 1 below
  int row;   // 0 nearest the bar
  double x0;
};
struct RowLayout {
  std::vector<PlacedLabel> labels;
  int rows[2] = {0, 0};  // rows in use above and below
};

// Places the labels, taken in order of their anchors, in rows on either
// side of a bar, each starting no further left than `minLeft` and ending
// before `maxRight`. A label that covers the anchors of the next ones goes
// out as many rows when `lookahead` is set, or to the farthest row
// otherwise, leaving the rows nearer the bar to their labels. A leader runs
// from each label to its anchor: no label may cover a leader. A label that
// finds no row is left out.
RowLayout PlaceInRows(const std::vector<RowLabel>& labels, bool lookahead, double minLeft,
                      double maxRight);

// ---- names on the plan ----

// `box` lies inside `area`, clear of its top 30 and bottom 34 units (the
// north arrow and the scale bar), of every box in `taken` and of the line
// drawn through `track`.
bool LabelFits(const Box& box, const Box& area, const std::vector<Box>& taken,
               const std::vector<Pt>& track);

// A leader from a dot at `from` to `to` crosses no box in `taken` (the dot's
// own among them) and no segment of `track`.
bool LeaderFits(Pt from, Pt to, const std::vector<Box>& taken, const std::vector<Pt>& track);

}  // namespace sb::render

#endif  // SB_TOOLS_RENDER_LABEL_LAYOUT_H_
