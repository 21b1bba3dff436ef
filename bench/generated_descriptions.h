// A line and a train description of any length, for measuring the compile
// on lines far longer than the scenario's. Everything repeats in blocks of
// 20 km, so the work grows with the length:
//  - line: a curve every 2 km (classes 1 to 3, both directions), a gradient
//    change every 1 km, a mountain every 25 km (at most 80), a
//    maximum-speed board every 5 km and five text boards;
//  - train: a speed limit every 2.5 km, an adhesion change every 10 km, a
//    signal every 1 km, a station and a slowdown with a warning in every
//    block.
// The features are laid out so that no two of them claim the same cell and
// route completion finds a free cell for every speed point it places: the
// compile ends with errorCode 0.
#ifndef SB_BENCH_GENERATED_DESCRIPTIONS_H_
#define SB_BENCH_GENERATED_DESCRIPTIONS_H_

#include <cstdint>
#include <string>

namespace sb::bench {

inline constexpr const char* kGeneratedLineId = "Generata";
inline constexpr const char* kGeneratedTrain = "1";

// `length` in metres, a multiple of 50 from 40,000 to 1,000,000.
std::string GenerateLineDescription(int32_t length);
std::string GenerateTrainDescription(int32_t length);

// Writes both descriptions into `dir` under the names the compiler expects
// for kGeneratedLineId and kGeneratedTrain; false when a file cannot be
// written.
bool WriteGeneratedDescriptions(const std::string& dir, int32_t length);

}  // namespace sb::bench

#endif  // SB_BENCH_GENERATED_DESCRIPTIONS_H_
