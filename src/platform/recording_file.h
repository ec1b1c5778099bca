// Loads a recording for the desktop program's --input, read as the
// recording decoder reads it: 8-bit unsigned or 16-bit signed PCM at
// 48000 Hz, first channel, as 8-bit unsigned samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// False with a one-line description naming the file in *error.
bool LoadRecording(const std::string& path, std::vector<std::uint8_t>* samples, std::string* error);

}  // namespace vantrel
