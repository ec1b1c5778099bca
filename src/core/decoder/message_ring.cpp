#include "decoder/message_ring.h"

namespace vantrel {

void MessageRing::Push(const std::string& line) {
  lines_[static_cast<std::size_t>(head_)] = line;
  posted_ = head_;
  head_ = (head_ + 1) % kSize;
}

const std::string* MessageRing::Posted() const {
  return posted_ >= 0 ? &lines_[static_cast<std::size_t>(posted_)] : nullptr;
}

void MessageRing::Clear() {
  lines_.fill(std::string());
  head_ = 0;
  posted_ = -1;
}

std::vector<std::string> MessageRing::InArrivalOrder() const {
  std::vector<std::string> lines;
  for (int i = 0; i < kSize; ++i) {
    const std::string& line = lines_[static_cast<std::size_t>((head_ + i) % kSize)];
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace vantrel
