// Packet interpretation: one checked packet becomes at most one line, and
// sync and ephemeris packets update the satellite table. The interpreter
// owns what only interpretation uses: the message filters, the satellite
// table, the time of the last decode and the last satellite to report a
// position. Posting the line, the logs and the packet listeners are the
// caller's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/clock.h"
#include "base/packet_outcome.h"
#include "base/satellite_record.h"
#include "decoder/packet_filters.h"

namespace vantrel {

// What one packet came to.
struct Interpretation {
  PacketOutcome outcome = PacketOutcome::Abandoned;
  // The line to post (Windows-1252), when the packet's filter lets one through.
  std::optional<std::string> line;
  // The accepted packet's length: 12, or 24 for ephemeris.
  int length = 0;
  // The satellite whose record changed (frequency or position); 0 for none.
  int satellite = 0;
};

class Interpreter {
 public:
  // A checked packet (12 bytes, 24 for ephemeris) heard at now. Lines other
  // than sync and ephemeris lines mark now as the last decode; so does any
  // sync packet, shown or not.
  Interpretation InterpretPacket(const std::uint8_t* packet, CTime now);

  PacketFilters& filters() { return filters_; }
  const PacketFilters& filters() const { return filters_; }
  // Record 0 is never written.
  SatelliteTable& satellites() { return satellites_; }
  const SatelliteTable& satellites() const { return satellites_; }
  // When a packet last told the receiver it reads the signal right; 0 never.
  CTime lastDecodeTime() const { return lastDecodeTime_; }
  // The last satellite to report a position (1..255), 0 before any.
  int lastSatellite() const { return lastSatellite_; }
  void SetLastSatellite(int fm) { lastSatellite_ = fm; }

 private:
  Interpretation Ephemeris(const std::uint8_t* packet, CTime now);
  // Every packet of 12 bytes.
  Interpretation ShortPacket(const std::uint8_t* packet, CTime now);

  PacketFilters filters_ = kDefaultFilters;
  SatelliteTable satellites_{};
  CTime lastDecodeTime_ = 0;
  int lastSatellite_ = 0;
};

}  // namespace vantrel
