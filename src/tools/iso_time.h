// ISO 8601 UTC times on the command line: "2007-05-12T10:11:12Z".
#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace vantrel::tools {

// YYYY-MM-DDTHH:MM:SS with an optional Z or +00:00 (a space or t may stand
// for the T), as seconds since 1970; nothing for any other text or a date
// that does not exist.
std::optional<std::time_t> ParseIsoTime(const std::string& text);

}  // namespace vantrel::tools
