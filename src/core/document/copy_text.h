// The text Edit > Copy puts on the clipboard for the current screen.
#pragma once

#include <cstddef>
#include <string>

#include "document/vantrel_doc.h"

namespace vantrel {

// The clipboard takes at most this many characters; the rest is dropped.
constexpr std::size_t kCopyTextLimit = 4095;

// Messages screen: the non-empty lines in arrival order, oldest first.
// Satellites screen: the 36 rows. Each line ends in CR LF; Windows-1252.
// Empty for the Signal and Chart screens.
std::string BuildCopyText(const VantrelDoc& doc);

}  // namespace vantrel
