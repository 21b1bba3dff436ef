#include "model/line_profile.h"

#include <cstring>

namespace sb {

LineProfile::LineProfile(int32_t end) : end_(end < 1 ? 1 : end) {}

void LineProfile::Extend(ProfileRun run) {
  if (run.last > end_) run.last = end_;
  if (run.last < cursor_) return;
  runs_.push_back(run);
  cursor_ = run.last + 1;
}

ProfileWalker::ProfileWalker(const LineProfile& profile)
    : profile_(profile),
      // Unseeded metres read as 0, as empty elements do.
      x2_(0.0),
      y2_(0.0),
      x1_(0.0),
      y1_(profile.seeded() ? 1.0 : 0.0) {}

ProfileTable LineProfile::Table() const {
  ProfileTable t(end_);
  if (seeded_) {
    t.SetInt16(0, 0, 0);
    t.SetInt16(0, 1, 0);
    t.SetInt16(1, 0, 0);
    t.SetInt16(1, 1, 1);
  }
  ProfileWalker walker(*this);
  int32_t m = 2;
  walker.Next(cursor_ - 2, [&](double x, double y) {
    t.SetDouble(m, 0, x);
    t.SetDouble(m, 1, y);
    ++m;
  });
  return t;
}

ProfileTable::ProfileTable(int32_t end)
    : end_(end), tags_(Size(end), Tag::kEmpty), values_(new double[Size(end)]) {}

ProfileTable::ProfileTable(const ProfileTable& other)
    : end_(other.end_), tags_(other.tags_), values_(new double[Size(other.end_)]) {
  // Byte copies: the values of empty elements were never written.
  std::memcpy(values_.get(), other.values_.get(), Size(end_) * sizeof(double));
}

ProfileTable& ProfileTable::operator=(const ProfileTable& other) {
  if (this != &other) *this = ProfileTable(other);
  return *this;
}

}  // namespace sb
