// Hands each accepted packet to several listeners in turn (the document
// holds one).
#pragma once

#include <vector>

#include "base/packet_listener.h"

namespace vantrel {

class PacketFanOut final : public PacketListener {
 public:
  void Add(PacketListener* listener) { listeners_.push_back(listener); }
  bool Empty() const { return listeners_.empty(); }
  void OnPacket(const AcceptedPacket& packet) override {
    for (PacketListener* listener : listeners_) listener->OnPacket(packet);
  }

 private:
  std::vector<PacketListener*> listeners_;
};

}  // namespace vantrel
