// A library's message inside one of ours: "The connection was lost." reads
// "the connection was lost", so that no full stop ends up inside brackets.
#pragma once

#include <cctype>
#include <string>

namespace vantrel {

inline std::string LibraryReason(std::string reason) {
  while (!reason.empty() && (reason.back() == '.' || reason.back() == ' ')) reason.pop_back();
  // "TLS ..." and other abbreviations keep their capitals.
  if (reason.size() > 1 && std::isupper(static_cast<unsigned char>(reason[0])) &&
      std::islower(static_cast<unsigned char>(reason[1])))
    reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
  return reason;
}

}  // namespace vantrel
