#include "document/home_location.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace vantrel {
namespace {

// The double nearest 1/60, multiplied rather than divided, so that stored
// values match the ones earlier runs wrote to the settings.
constexpr double kMinutesToDegrees = 0.016666666666666666;

struct Reading {
  char letter = 0;
  long degrees = 0;
  double minutes = 0.0;
  int fields = 0;
  bool tooLarge = false;  // a number beyond what the fields hold stopped the scan
};

// The scan of "%c%d %lf", written out so that an out-of-range number stops the
// scan instead of being undefined behaviour as it is with sscanf.
Reading Read(const std::string& text) {
  Reading r;
  const char* p = text.c_str();
  if (*p == '\0') return r;
  r.letter = *p++;
  r.fields = 1;
  char* end = nullptr;
  errno = 0;
  const long degrees = std::strtol(p, &end, 10);
  if (end == p) return r;
  if (errno == ERANGE || degrees > std::numeric_limits<int>::max() ||
      degrees < std::numeric_limits<int>::min()) {
    r.tooLarge = true;
    return r;
  }
  r.degrees = degrees;
  r.fields = 2;
  p = end;
  errno = 0;
  const double minutes = std::strtod(p, &end);
  if (end == p) return r;
  if (!std::isfinite(minutes) || (errno == ERANGE && minutes != 0.0)) {
    r.tooLarge = true;
    return r;
  }
  r.minutes = minutes;
  r.fields = 3;
  return r;
}

double Parse(const std::string& text, char positive) {
  const Reading r = Read(text);
  const double value = static_cast<double>(r.degrees) + r.minutes * kMinutesToDegrees;
  return r.letter == positive ? value : -value;
}

}  // namespace

std::string FormatHomeCoordinate(double value, char positive, char negative) {
  // Settings written by something else may hold anything; keep the integer
  // conversion defined.
  if (!std::isfinite(value)) value = 0.0;
  value = std::clamp(value, -1e9, 1e9);
  char letter = positive;
  if (!(value >= 0)) {
    letter = negative;
    value = -value;
  }
  const int degrees = static_cast<int>(value);
  const double minutes = (value - degrees) * 60.0;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%c%02d %07.4lf", letter, degrees, minutes);
  return buffer;
}

double ParseHomeLatitude(const std::string& text) { return Parse(text, 'N'); }
double ParseHomeLongitude(const std::string& text) { return Parse(text, 'E'); }

bool HomeCoordinateReadable(const std::string& text) { return Read(text).fields >= 2; }

HomeTextProblem CheckHomeCoordinate(const std::string& text, double limit) {
  const Reading r = Read(text);
  if (r.tooLarge) return HomeTextProblem::TooLarge;
  if (r.fields < 2) return HomeTextProblem::Unreadable;
  const double value = static_cast<double>(r.degrees) + r.minutes * kMinutesToDegrees;
  return std::fabs(value) > limit ? HomeTextProblem::OutOfRange : HomeTextProblem::None;
}

}  // namespace vantrel
