// The receiver's texts are Windows-1252 bytes (the degree sign is 0xB0);
// terminals, the clipboard and D-Bus want UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

std::string Cp1252ToUtf8(std::string_view text);

}  // namespace vantrel
