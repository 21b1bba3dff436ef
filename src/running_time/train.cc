#include "running_time/train.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string_view>

#include "model/model.h"

namespace sb::running {
namespace {

// The default train is a locomotive-hauled express: a four-axle electric
// locomotive of the 5 to 6 MW class hauling the train description's cars,
// long-distance coaches on two bogies. docs/authors.md gives the source or
// the reasoning of each figure.
constexpr double kLocomotiveTonnes = 88;
constexpr double kLocomotiveMetres = 19.5;
constexpr double kAxlesPerVehicle = 4;
constexpr double kCarTonnes = 45;  // loaded
constexpr double kCarMetres = 26.4;
constexpr double kCarsWhenNoneGiven = 12;
constexpr double kTopSpeedKmh = 160;
constexpr double kStartingTractiveEffortKn = 250;
constexpr double kPowerKw = 5600;
constexpr double kRotatingMassFactor = 1.06;
constexpr double kDwellSeconds = 60;
constexpr double kAllowancePercent = 5;

// The Davis formula, in its own units: resistance in pounds-force of a
// vehicle weighing W short tons on n axles at V mph is
// 1.3 W + 29 n + b W V + C A V², A its frontal area in square feet.
constexpr double kDavisPerTon = 1.3;
constexpr double kDavisPerAxle = 29;
constexpr double kDavisSpeedPassenger = 0.03;  // b, locomotives and passenger cars
constexpr double kDavisAirLeading = 0.0024;    // C of the vehicle that leads
constexpr double kDavisAirTrailing = 0.00034;  // C of a passenger car behind it
constexpr double kFrontalAreaSquareMetres = 10;
constexpr double kKgPerShortTon = 907.18474;
constexpr double kNewtonsPerPoundForce = 4.4482216152605;
constexpr double kMetresPerMile = 1609.344;
constexpr double kSquareMetresPerSquareFoot = 0.09290304;

// The service deceleration from the braked-mass percentage: 0.4 m/s² at
// 100 %, in proportion, kept within what running-time calculations use for
// passenger trains; the fixed figure when the description gives none.
constexpr double kDecelerationAtFullBrakedMass = 0.4;
constexpr double kLeastDeceleration = 0.3;
constexpr double kMostDeceleration = 0.6;
constexpr double kDecelerationWhenNoBrakedMass = 0.5;

// Shortest text that reads back as `value`: the same on every platform.
std::string Figure(double value) {
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  if (error != std::errc()) return "?";
  return std::string(text, end);
}

constexpr std::string_view kKeys[] = {"mass_t",
                                      "length_m",
                                      "cars",
                                      "car_length_m",
                                      "top_speed_kmh",
                                      "starting_tractive_effort_kn",
                                      "power_kw",
                                      "davis_a_kn",
                                      "davis_b_kn_per_kmh",
                                      "davis_c_kn_per_kmh2",
                                      "rotating_mass_factor",
                                      "braking_deceleration_ms2",
                                      "dwell_s",
                                      "allowance_percent"};

std::size_t KeyOrder(std::string_view key) {
  return static_cast<std::size_t>(std::find(std::begin(kKeys), std::end(kKeys), key) -
                                  std::begin(kKeys));
}

class Resolver {
 public:
  Resolver(const TrainTable& table, const Scenario& s) : table_(table), s_(s) {}

  Train Run() {
    const double cars = Cars();
    const double carLength =
        Given(table_.carLengthMetres, "car_length_m", kCarMetres, "default: a long-distance coach");
    const double lengthMetres =
        Given(table_.lengthMetres, "length_m", kLocomotiveMetres + cars * carLength,
              "from " + Figure(cars) + " cars of " + Figure(carLength) + " m and a locomotive of " +
                  Figure(kLocomotiveMetres) + " m");
    const double tonnes = Given(table_.massTonnes, "mass_t", kLocomotiveTonnes + cars * kCarTonnes,
                                "from a locomotive of " + Figure(kLocomotiveTonnes) + " t and " +
                                    Figure(cars) + " cars of " + Figure(kCarTonnes) + " t");
    train_.mass = tonnes * 1000;
    train_.length = lengthMetres;
    train_.topSpeed = Given(table_.topSpeedKmh, "top_speed_kmh", kTopSpeedKmh, "default") / 3.6;
    train_.startingTractiveEffort =
        Given(table_.startingTractiveEffortKn, "starting_tractive_effort_kn",
              kStartingTractiveEffortKn, "default") *
        1000;
    train_.power = Given(table_.powerKw, "power_kw", kPowerKw, "default") * 1000;
    Resistance(tonnes, cars);
    train_.rotatingMassFactor =
        Given(table_.rotatingMassFactor, "rotating_mass_factor", kRotatingMassFactor, "default");
    train_.brakingDeceleration = Deceleration();
    train_.dwell = Given(table_.dwellSeconds, "dwell_s", kDwellSeconds, "default");
    train_.allowance =
        Given(table_.allowancePercent, "allowance_percent", kAllowancePercent, "default") / 100;
    // Told in the order the project file's keys are documented in.
    std::stable_sort(
        train_.origins.begin(), train_.origins.end(),
        [](const auto& x, const auto& y) { return KeyOrder(x.first) < KeyOrder(y.first); });
    return std::move(train_);
  }

 private:
  void Note(std::string key, const std::optional<double>& written, std::string how) {
    train_.origins.emplace_back(std::move(key), written ? "project file" : std::move(how));
  }

  // The figure as written, or `fallback`; notes which, under `key`.
  double Given(const std::optional<double>& written, std::string key, double fallback,
               std::string how) {
    Note(std::move(key), written, std::move(how));
    return written.value_or(fallback);
  }

  double Cars() {
    if (table_.cars) return Given(table_.cars, "cars", 0, "");
    const int32_t described = s_.items[kSlotTotals].position;
    if (described > 0) {
      train_.origins.emplace_back("cars", "train description");
      return described;
    }
    train_.origins.emplace_back("cars", "default: the train description gives no number");
    return kCarsWhenNoneGiven;
  }

  // Each coefficient left out comes from the Davis formula for the whole
  // train: the locomotive leads, the cars trail; all of the same frontal
  // area. The formula's units are converted to newtons and metres per second.
  void Resistance(double tonnes, double cars) {
    const double shortTons = tonnes * 1000 / kKgPerShortTon;
    const double axles = kAxlesPerVehicle + cars * kAxlesPerVehicle;
    const double squareFeet = kFrontalAreaSquareMetres / kSquareMetresPerSquareFoot;
    const double mph = 3600 / kMetresPerMile;  // in one metre per second
    const double a = (kDavisPerTon * shortTons + kDavisPerAxle * axles) * kNewtonsPerPoundForce;
    const double b = kDavisSpeedPassenger * shortTons * kNewtonsPerPoundForce * mph;
    const double c = (kDavisAirLeading * squareFeet + kDavisAirTrailing * squareFeet * cars) *
                     kNewtonsPerPoundForce * mph * mph;
    const std::string davis = "from the Davis formula: ";
    Note("davis_a_kn", table_.davisAKn,
         davis + Figure(tonnes) + " t on " + Figure(axles) + " axles");
    Note("davis_b_kn_per_kmh", table_.davisBKnPerKmh, davis + Figure(tonnes) + " t");
    Note("davis_c_kn_per_kmh2", table_.davisCKnPerKmh2,
         davis + "a locomotive and " + Figure(cars) + " cars of " +
             Figure(kFrontalAreaSquareMetres) + " m² frontal area");
    train_.davisA = table_.davisAKn ? *table_.davisAKn * 1000 : a;
    train_.davisB = table_.davisBKnPerKmh ? *table_.davisBKnPerKmh * 1000 * 3.6 : b;
    train_.davisC = table_.davisCKnPerKmh2 ? *table_.davisCKnPerKmh2 * 1000 * 3.6 * 3.6 : c;
  }

  double Deceleration() {
    if (table_.brakingDeceleration) {
      return Given(table_.brakingDeceleration, "braking_deceleration_ms2", 0, "");
    }
    const int32_t percent = s_.items[kSlotTotals].start;
    if (percent <= 0) {
      train_.origins.emplace_back("braking_deceleration_ms2",
                                  "default: the train description gives no braked mass");
      return kDecelerationWhenNoBrakedMass;
    }
    train_.origins.emplace_back("braking_deceleration_ms2",
                                "from the braked mass " + std::to_string(percent) + " %");
    return std::clamp(kDecelerationAtFullBrakedMass * percent / 100, kLeastDeceleration,
                      kMostDeceleration);
  }

  const TrainTable& table_;
  const Scenario& s_;
  Train train_;
};

}  // namespace

Train ResolveTrain(const TrainTable& table, const Scenario& s) { return Resolver(table, s).Run(); }

}  // namespace sb::running
