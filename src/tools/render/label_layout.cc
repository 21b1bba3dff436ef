#include "tools/render/label_layout.h"

#include <algorithm>
#include <cmath>

namespace sb::render {

double TextWidth(const std::string& utf8, double size) {
  double w = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) == 0x80) continue;  // continuation byte of a UTF-8 character
    if (c == ' ')
      w += 0.33;
    else if (c >= 'A' && c <= 'Z')
      w += 0.70;
    else if (c >= '0' && c <= '9')
      w += 0.62;
    else if (c == '.' || c == ',' || c == '\'' || c == ':' || c == ';' || c == '!' || c == '|')
      w += 0.32;
    else if (c == '(' || c == ')' || c == '-' || c == '/')
      w += 0.40;
    else
      w += 0.60;
  }
  return w * size;
}

RowLayout PlaceInRows(const std::vector<RowLabel>& labels, bool lookahead, double minLeft,
                      double maxRight) {
  struct Span {
    double x0, x1;
  };
  // Per side and row: the labels placed there and the leaders that pass
  // through.
  std::vector<Span> spans[2][kLabelRows];
  std::vector<double> leadersThrough[2][kLabelRows];
  RowLayout layout;
  for (std::size_t k = 0; k < labels.size(); ++k) {
    const double a = labels[k].anchor;
    const double w = labels[k].width;
    int under = 0;
    while (k + 1 + static_cast<std::size_t>(under) < labels.size() &&
           labels[k + 1 + static_cast<std::size_t>(under)].anchor <= a + w + 6) {
      ++under;
    }
    const int first = lookahead ? std::min(under, kLabelRows - 1) : kLabelRows - 1;
    auto tryRow = [&](int side, int row) {
      for (double x0 : {a - 4, a - w / 2, a - w + 4}) {
        // Near an end of the plot the label slides inside it, its leader
        // still under it.
        const double lo = std::max(std::min(x0, maxRight - w), minLeft);
        const double hi = lo + w;
        if (hi > maxRight) continue;
        auto clash = [&](const Span& p) { return lo - 5 < p.x1 && p.x0 < hi + 5; };
        if (std::any_of(spans[side][row].begin(), spans[side][row].end(), clash)) continue;
        // The leader passes the rows nearer the bar: no label there may
        // cover it, and this label may cover no leader through its row.
        bool blocked = false;
        for (int nearer = 0; nearer < row && !blocked; ++nearer) {
          for (const Span& p : spans[side][nearer]) {
            if (a >= p.x0 - 2 && a <= p.x1 + 2) blocked = true;
          }
        }
        for (double lx : leadersThrough[side][row]) {
          if (lx >= lo - 2 && lx <= hi + 2) blocked = true;
        }
        if (blocked) continue;
        spans[side][row].push_back({lo, hi});
        for (int nearer = 0; nearer < row; ++nearer) leadersThrough[side][nearer].push_back(a);
        layout.labels.push_back({labels[k].id, side, row, lo});
        layout.rows[side] = std::max(layout.rows[side], row + 1);
        return true;
      }
      return false;
    };
    bool done = false;
    for (int side = 0; side < 2 && !done; ++side) {
      for (int row = first; row >= 0 && !done; --row) done = tryRow(side, row);
      for (int row = first + 1; row < kLabelRows && !done; ++row) done = tryRow(side, row);
    }
  }
  return layout;
}

bool LabelFits(const Box& box, const Box& area, const std::vector<Box>& taken,
               const std::vector<Pt>& track) {
  if (box.x0 < area.x0 || box.x1 > area.x1 || box.y0 < area.y0 + 30 || box.y1 > area.y1 - 34) {
    return false;
  }
  for (const Box& t : taken) {
    if (box.Overlaps(t)) return false;
  }
  for (std::size_t k = 1; k < track.size(); ++k) {
    if (SegmentHitsBox(track[k - 1], track[k], box)) return false;
  }
  return true;
}

bool LeaderFits(Pt from, Pt to, const std::vector<Box>& taken, const std::vector<Pt>& track) {
  // Start just off the dot, which is itself in `taken`.
  const double len = std::hypot(to.x - from.x, to.y - from.y);
  if (len <= 5) return true;
  const Pt a{from.x + (to.x - from.x) * 5 / len, from.y + (to.y - from.y) * 5 / len};
  for (const Box& t : taken) {
    const Box shrunk{t.x0 + 0.5, t.y0 + 0.5, t.x1 - 0.5, t.y1 - 0.5};
    if (SegmentHitsBox(a, to, shrunk)) return false;
  }
  for (std::size_t k = 1; k < track.size(); ++k) {
    if (SegmentsCross(a, to, track[k - 1], track[k])) return false;
  }
  return true;
}

}  // namespace sb::render
