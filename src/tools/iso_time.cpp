#include "iso_time.h"

#include <cctype>
#include <cstdio>

namespace vantrel::tools {

std::optional<std::time_t> ParseIsoTime(const std::string& text) {
  std::tm tm{};
  char separator = 0;
  int consumed = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                  &separator, &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &consumed) != 7 ||
      (separator != 'T' && separator != 't' && separator != ' ')) {
    return std::nullopt;
  }
  // The zone: none or Z for UTC, or an offset from it as +HH:MM, +HHMM or +HH.
  const std::string zone = text.substr(static_cast<std::size_t>(consumed));
  long offset = 0;
  if (!zone.empty() && zone != "Z" && zone != "z") {
    int hours = 0, minutes = 0, used = 0;
    const bool sign = zone[0] == '+' || zone[0] == '-';
    const bool read =
        sign &&
        ((std::sscanf(zone.c_str() + 1, "%2d:%2d%n", &hours, &minutes, &used) == 2 && used == 5) ||
         (std::sscanf(zone.c_str() + 1, "%2d%2d%n", &hours, &minutes, &used) == 2 && used == 4) ||
         (std::sscanf(zone.c_str() + 1, "%2d%n", &hours, &used) == 1 && used == 2));
    if (!read || zone.size() != static_cast<std::size_t>(used) + 1 || hours > 23 || minutes < 0 ||
        minutes > 59 || !std::isdigit(static_cast<unsigned char>(zone[1])))
      return std::nullopt;
    offset = (zone[0] == '-' ? -1 : 1) * (hours * 3600L + minutes * 60L);
  }
  const std::tm fields = tm;
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  const std::time_t t = timegm(&tm);
  // timegm normalises out-of-range fields; a real date comes back unchanged.
  if (tm.tm_year != fields.tm_year - 1900 || tm.tm_mon != fields.tm_mon - 1 ||
      tm.tm_mday != fields.tm_mday || tm.tm_hour != fields.tm_hour || tm.tm_min != fields.tm_min ||
      tm.tm_sec != fields.tm_sec) {
    return std::nullopt;
  }
  return t - offset;
}

}  // namespace vantrel::tools
