#include "synth/packet_builder.h"

namespace vantrel::synth {

Packet WithChecksum(Packet bytes) {
  std::uint8_t a = 0, b = 0;
  for (const std::uint8_t byte : bytes) {
    a = static_cast<std::uint8_t>(a + byte);
    b = static_cast<std::uint8_t>(b + a);
  }
  // Both sums must end at 0: b + (a + x) + 0 = 0 and a + x + y = 0.
  const auto x = static_cast<std::uint8_t>(-(a + b));
  const auto y = static_cast<std::uint8_t>(-(a + x));
  bytes.push_back(x);
  bytes.push_back(y);
  return bytes;
}

}  // namespace vantrel::synth
