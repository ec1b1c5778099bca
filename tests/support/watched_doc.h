// A document that notes every checked packet the search hands to
// interpretation, with where the ring stood, before interpreting it.
#pragma once

#include <cstdint>
#include <vector>

#include "base/packet_types.h"
#include "document/vantrel_doc.h"

namespace vantrel {

struct WatchedPacket {
  int label = 0;     // the caller's mark at the time (which buffer, say)
  int position = 0;  // ring write index: the packet's first sample is the oldest entry
  int newest = 0;    // the newest ring entry
  int polarity = 0;
  std::vector<std::uint8_t> bytes;
  bool operator==(const WatchedPacket&) const = default;
};

class WatchedDoc : public VantrelDoc {
 public:
  explicit WatchedDoc(const Clock& clock) : VantrelDoc(clock, "/nonexistent/") { logFlag = 0; }
  PacketOutcome InterpretPacket(const std::uint8_t* packet, const PacketSource& source) override {
    found.push_back(
        {label,
         packetSearch().writeIndex(),
         packetSearch().ring()[(packetSearch().writeIndex() + kRingLength - 1) % kRingLength],
         packetSearch().polarity(),
         {packet, packet + PacketLength(packet[0])}});
    return VantrelDoc::InterpretPacket(packet, source);
  }
  std::vector<WatchedPacket> found;
  int label = 0;
};

}  // namespace vantrel
