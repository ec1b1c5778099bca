// ISO 8601 times on the command line: "2007-05-12T10:11:12Z".
#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace vantrel::tools {

// YYYY-MM-DDTHH:MM:SS in UTC, or with Z, or with an offset from UTC such as
// +01:00, -0500 or +05 (a space or t may stand for the T), as seconds since
// 1970; nothing for any other text or a date that does not exist.
std::optional<std::time_t> ParseIsoTime(const std::string& text);

}  // namespace vantrel::tools
