#include "orbit/element_set.h"

#include <charconv>
#include <cmath>
#include <numbers>

namespace vantrel {

namespace {

constexpr double kDegToRad = std::numbers::pi / 180.0;
constexpr double kRevPerDayToRadPerMin = 2.0 * std::numbers::pi / 1440.0;

// The 1-based columns first..last of line, cut short where the line ends.
std::string Columns(const std::string& line, std::size_t first, std::size_t last) {
  if (line.size() < first) return {};
  return line.substr(first - 1, last - first + 1);
}

std::string Trim(const std::string& s) {
  const auto begin = s.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return {};
  const auto end = s.find_last_not_of(" \t\r\n");
  return s.substr(begin, end - begin + 1);
}

// A decimal number filling the field apart from blanks; locale-free.
bool ScanDouble(const std::string& field, double& value) {
  std::string s = Trim(field);
  if (!s.empty() && s[0] == '+') s.erase(0, 1);
  if (s.empty()) return false;
  const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
  return result.ec == std::errc() && result.ptr == s.data() + s.size() && std::isfinite(value);
}

// The element sets' packed exponent form: " 12345-4" is 0.12345e-4, with an
// optional sign before the mantissa. An all-blank field reads as zero.
bool ScanPacked(const std::string& field, double& value) {
  std::string s = Trim(field);
  if (s.empty()) {
    value = 0.0;
    return true;
  }
  if (s.size() < 3) return false;
  const char sign = s[0];
  if (sign == '-' || sign == '+') s.erase(0, 1);
  const std::string mantissa = s.substr(0, s.size() - 2);
  const std::string exponent = s.substr(s.size() - 2);
  if (exponent[0] != '-' && exponent[0] != '+' && exponent[0] != ' ') return false;
  double m = 0.0;
  double e = 0.0;
  if (!ScanDouble("0." + Trim(mantissa), m) || !ScanDouble(exponent.substr(1), e)) return false;
  value = (sign == '-' ? -m : m) * std::pow(10.0, exponent[0] == '-' ? -e : e);
  return std::isfinite(value);
}

// Days from 1970-01-01 to 1 January of year (proleptic Gregorian).
long DaysToYearStart(int year) {
  long days = 0;
  for (int y = 1970; y < year; ++y) {
    days += (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)) ? 366 : 365;
  }
  return days;
}

}  // namespace

std::optional<ElementSet> ParseElementSet(const std::string& name, const std::string& line1,
                                          const std::string& line2, std::string* error) {
  auto fail = [error](const std::string& what) -> std::optional<ElementSet> {
    if (error) *error = what;
    return std::nullopt;
  };
  if (line1.size() < 2 || line1[0] != '1' || line1[1] != ' ')
    return fail("line 1 does not start with \"1 \"");
  if (line2.size() < 2 || line2[0] != '2' || line2[1] != ' ')
    return fail("line 2 does not start with \"2 \"");
  if (line1.size() < 61) return fail("line 1 is too short");
  if (line2.size() < 63) return fail("line 2 is too short");

  ElementSet e;
  e.name = Trim(name);
  double number = 0.0;
  // Five digits at most; anything else leaves the number unknown (0).
  if (ScanDouble(Columns(line1, 3, 7), number) && number >= 0.0 && number <= 99999.0)
    e.catalogNumber = static_cast<int>(number);

  double year = 0.0;
  double day = 0.0;
  if (!ScanDouble(Columns(line1, 19, 20), year) || !ScanDouble(Columns(line1, 21, 32), day) ||
      year < 0 || day < 1.0 || day >= 367.0) {
    return fail("unreadable epoch");
  }
  // Two-digit years: 57..99 are the 1900s, the rest the 2000s.
  const int fullYear = static_cast<int>(year) + (year < 57 ? 2000 : 1900);
  e.epoch = (static_cast<double>(DaysToYearStart(fullYear)) + day - 1.0) * 86400.0;

  if (!ScanPacked(Columns(line1, 54, 61), e.bstar)) return fail("unreadable drag term");

  double inclination = 0.0;
  double node = 0.0;
  double eccentricity = 0.0;
  double perigee = 0.0;
  double anomaly = 0.0;
  double motion = 0.0;
  const std::string ecc = Trim(Columns(line2, 27, 33));
  if (!ScanDouble(Columns(line2, 9, 16), inclination) ||
      !ScanDouble(Columns(line2, 18, 25), node) || ecc.empty() || ecc[0] == '-' || ecc[0] == '+' ||
      !ScanDouble("0." + ecc, eccentricity) || !ScanDouble(Columns(line2, 35, 42), perigee) ||
      !ScanDouble(Columns(line2, 44, 51), anomaly) || !ScanDouble(Columns(line2, 53, 63), motion)) {
    return fail("unreadable orbital element");
  }
  if (inclination < 0.0 || inclination > 180.0) return fail("inclination out of range");
  if (!(motion > 0.0)) return fail("mean motion not positive");
  e.inclination = inclination * kDegToRad;
  e.rightAscension = node * kDegToRad;
  e.eccentricity = eccentricity;
  e.argumentOfPerigee = perigee * kDegToRad;
  e.meanAnomaly = anomaly * kDegToRad;
  e.meanMotion = motion * kRevPerDayToRadPerMin;
  return e;
}

}  // namespace vantrel
