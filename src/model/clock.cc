#include "model/clock.h"

#include <cstdio>

namespace sb {

std::string ClockText(int64_t hours, int64_t minutes, int64_t seconds) {
  char text[80];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(hours),
                static_cast<long long>(minutes), static_cast<long long>(seconds));
  return text;
}

std::string ClockText(int64_t seconds) {
  return ClockText(seconds / 3600, seconds / 60 % 60, seconds % 60);
}

}  // namespace sb
