#include "platform/recording_file.h"

#include "recording_input.h"

namespace vantrel {

bool LoadRecording(const std::string& path, std::vector<std::uint8_t>* samples, std::string* error) {
  tools::RecordingInput input;
  if (!input.Open(path, false, error)) return false;
  samples->clear();
  std::vector<std::uint8_t> block(tools::RecordingInput::kSampleRate);
  while (const std::size_t n = input.Read(&block)) samples->insert(samples->end(), block.begin(), block.begin() + static_cast<long>(n));
  if (!input.error().empty()) {
    *error = input.error();
    return false;
  }
  return true;
}

}  // namespace vantrel
