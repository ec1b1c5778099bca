// Told about every packet the document accepts, after interpretation: what
// packet feeds (JSON lines, network publishing) attach to the document.
#pragma once

#include <cstdint>
#include <string>

#include "base/clock.h"
#include "base/packet_source.h"

namespace vantrel {

struct AcceptedPacket {
  const std::uint8_t* bytes = nullptr;
  int length = 0;                     // 12, or 24 for ephemeris
  const std::string* line = nullptr;  // the posted line (Windows-1252); null when none was posted
  CTime time = 0;                     // the document's clock at acceptance
  PacketSource source;
};

class PacketListener {
 public:
  virtual ~PacketListener() = default;
  virtual void OnPacket(const AcceptedPacket& packet) = 0;
};

}  // namespace vantrel
