// The last hundred decoded lines, the Lines screen's and the copy text's:
// each line goes into the oldest slot. The slot of the line the current
// packet posted is kept so that the feed can send that line with its packet.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace vantrel {

class MessageRing {
 public:
  static constexpr int kSize = 100;

  // Stores line in the oldest slot, as the current packet's line.
  void Push(const std::string& line);
  // A new packet: it has posted no line yet.
  void StartPacket() { posted_ = -1; }
  // The current packet's line, or null while it has posted none.
  const std::string* Posted() const;
  // Empties every slot; the next line goes into slot 0.
  void Clear();

  // The oldest slot, where the next line goes.
  int head() const { return head_; }
  // The line in slot (0 .. kSize - 1), empty while the slot is unused.
  const std::string& Slot(int slot) const { return lines_[static_cast<std::size_t>(slot)]; }
  // The lines oldest first, empty slots left out.
  std::vector<std::string> InArrivalOrder() const;

 private:
  std::array<std::string, kSize> lines_;
  int head_ = 0;
  int posted_ = -1;
};

}  // namespace vantrel
