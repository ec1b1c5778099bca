#include "iso_time.h"

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
  const std::string zone = text.substr(static_cast<std::size_t>(consumed));
  if (!zone.empty() && zone != "Z" && zone != "z" && zone != "+00:00") return std::nullopt;
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
  return t;
}

}  // namespace vantrel::tools
