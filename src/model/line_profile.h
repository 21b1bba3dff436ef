// The plan profile: x and y of the line at every metre, 0 to `end`.
//
// The profile is not stored element by element. Metres 0 and 1 are the
// seeds (0, 0) and (0, 1), held as 16-bit integers; every later metre is a
// function of the two before it and of the curvature in force, so the
// profile is the seeds plus a list of runs (straight, or arc of curvature
// c), computed once, in order, when it is written or looked at. Metres past
// the last run stay empty. A 1,000,000 m line thus takes a few kilobytes
// while it is read, instead of 20 MB of elements computed into memory and
// read back to be written.
//
// ProfileTable is the same profile element by element, as the profile file
// holds it: for the inspect and render tools, and for tests. It stays beside
// LineProfile (rather than with the profile codec) because LineProfile::Table()
// builds one.
#ifndef SB_MODEL_LINE_PROFILE_H_
#define SB_MODEL_LINE_PROFILE_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace sb {

// The metres after the previous run (after metre 1 for the first) up to
// `last`, each computed from the step vector (a, b) of the two metres
// before it:
//   straight: x(m) = x(m-1) + a,            y(m) = y(m-1) + b
//   arc:      x(m) = x(m-1) + (a + c * b),  y(m) = y(m-1) + (b - c * a)
// where a = x(m-1) - x(m-2) and b = y(m-1) - y(m-2), in double precision
// and in exactly this order: the file holds the rounded results.
struct ProfileRun {
  int32_t last = 0;
  bool arc = false;
  double c = 0;
};

class ProfileTable;

class LineProfile {
 public:
  // Metres 0 to `end` (at least 1), every element empty.
  explicit LineProfile(int32_t end);

  int32_t end() const { return end_; }
  bool seeded() const { return seeded_; }
  // The next metre to compute (the reader's profile cursor, from 2): metres
  // 2 to cursor() - 1 are computed.
  int32_t cursor() const { return cursor_; }
  const std::vector<ProfileRun>& runs() const { return runs_; }

  // Metre 0 is (0, 0) and metre 1 is (0, 1), as 16-bit integers.
  void Seed() { seeded_ = true; }
  // Computes the metres from cursor() to `last` (at most end()) as one run;
  // nothing when `last` is before cursor().
  void Straight(int32_t last) { Extend({last, false, 0.0}); }
  void Arc(int32_t last, double c) { Extend({last, true, c}); }

  // Every element, computed.
  ProfileTable Table() const;

 private:
  void Extend(ProfileRun run);

  int32_t end_;
  bool seeded_ = false;
  int32_t cursor_ = 2;
  std::vector<ProfileRun> runs_;
};

// Walks the computed metres of a profile in order, a block at a time.
class ProfileWalker {
 public:
  explicit ProfileWalker(const LineProfile& profile);

  bool done() const { return metre_ >= profile_.cursor(); }

  // Computes the next metres, at most `n`, and hands each to emit(x, y);
  // returns how many it computed.
  template <typename Emit>
  int32_t Next(int32_t n, Emit&& emit);

 private:
  const LineProfile& profile_;
  std::size_t run_ = 0;
  int32_t metre_ = 2;
  // Metres metre_ - 2 and metre_ - 1.
  double x2_, y2_, x1_, y1_;
};

template <typename Emit>
int32_t ProfileWalker::Next(int32_t n, Emit&& emit) {
  int32_t made = 0;
  const std::vector<ProfileRun>& runs = profile_.runs();
  double x2 = x2_, y2 = y2_, x1 = x1_, y1 = y1_;
  while (made < n && run_ < runs.size()) {
    const ProfileRun& run = runs[run_];
    const int32_t stop =
        static_cast<int32_t>(std::min<int64_t>(run.last, int64_t{metre_} + (n - made) - 1));
    const int32_t count = stop - metre_ + 1;
    if (run.arc) {
      const double c = run.c;
      for (int32_t k = 0; k < count; ++k) {
        const double a = x1 - x2;
        const double b = y1 - y2;
        const double x = x1 + (a + c * b);
        const double y = y1 + (b - c * a);
        x2 = x1, y2 = y1, x1 = x, y1 = y;
        emit(x, y);
      }
    } else {
      for (int32_t k = 0; k < count; ++k) {
        const double a = x1 - x2;
        const double b = y1 - y2;
        const double x = x1 + a;
        const double y = y1 + b;
        x2 = x1, y2 = y1, x1 = x, y1 = y;
        emit(x, y);
      }
    }
    made += count;
    metre_ = stop + 1;
    if (stop == run.last) ++run_;
  }
  x2_ = x2, y2_ = y2, x1_ = x1, y1_ = y1;
  return made;
}

// What an element of the profile holds. The values are the tags of the
// profile file, which the codec writes and reads as 16-bit numbers; one byte
// each is enough to hold them in a table of millions of elements.
enum class ProfileTag : uint8_t { kEmpty = 0, kInt16 = 2, kDouble = 5 };

// The profile element by element, in the order of the file: column 0 (x)
// for every metre, then column 1 (y).
class ProfileTable {
 public:
  using Tag = ProfileTag;

  explicit ProfileTable(int32_t end);
  ProfileTable(const ProfileTable& other);
  ProfileTable(ProfileTable&&) noexcept = default;
  ProfileTable& operator=(const ProfileTable& other);
  ProfileTable& operator=(ProfileTable&&) noexcept = default;
  ~ProfileTable() = default;

  int32_t end() const { return end_; }
  Tag tag(int32_t metre, int column) const { return tags_[Index(metre, column)]; }
  // The element as a real number (0 when empty).
  double value(int32_t metre, int column) const {
    const std::size_t i = Index(metre, column);
    return tags_[i] == Tag::kEmpty ? 0.0 : values_[i];
  }
  void SetInt16(int32_t metre, int column, int16_t v) {
    const std::size_t i = Index(metre, column);
    tags_[i] = Tag::kInt16;
    values_[i] = v;
  }
  void SetDouble(int32_t metre, int column, double v) {
    const std::size_t i = Index(metre, column);
    tags_[i] = Tag::kDouble;
    values_[i] = v;
  }

 private:
  static std::size_t Size(int32_t end) { return 2 * (static_cast<std::size_t>(end) + 1); }
  std::size_t Index(int32_t metre, int column) const {
    return static_cast<std::size_t>(column) * (static_cast<std::size_t>(end_) + 1) +
           static_cast<std::size_t>(metre);
  }

  int32_t end_;
  // Only the tags start out cleared: a value is read only when its element
  // is not empty, so the values of a long line are never cleared first.
  std::vector<Tag> tags_;
  std::unique_ptr<double[]> values_;
};

}  // namespace sb

#endif  // SB_MODEL_LINE_PROFILE_H_
