#include <gtest/gtest.h>

#include "decoder/packet_types.h"

namespace vantrel {
namespace {

TEST(PacketChecksum, SyncPacketPasses) {
  const std::uint8_t sync[12] = {0x65, 0xA8, 0xF9, 0x0C, 0, 0, 0, 0, 0, 0, 0xF8, 0xF6};
  EXPECT_EQ(PacketChecksum(sync, 12), 0);
}

}  // namespace
}  // namespace vantrel
