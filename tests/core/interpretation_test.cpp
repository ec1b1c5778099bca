// Interpretation of checked packets: lines, table updates, outcomes.
#include <gtest/gtest.h>

#include "document/vantrel_doc.h"
#include "support/packet_builder.h"

namespace vantrel {
namespace {

class Interpretation : public ::testing::Test {
 protected:
  Interpretation() : clock_(1178964672), doc_(clock_, "/nonexistent/") {}  // 2007-05-12 10:11:12
  std::string LastLine() const {
    return doc_.messages[(doc_.messageHead + CVantrelDoc::kMessageRingSize - 1) %
                         CVantrelDoc::kMessageRingSize];
  }
  HeldClock clock_;
  CVantrelDoc doc_;
};

TEST_F(Interpretation, WorkedExamplesReadExactly) {
  const std::uint8_t sync[12] = {0x65, 0xA8, 0xF9, 0x0C, 0, 0xC8, 0x30, 0, 0, 0, 0x58, 0x9E};
  EXPECT_EQ(doc_.InterpretPacket(sync), PacketOutcome::Accepted);
  EXPECT_EQ(LastLine(), "Spacecraft FM-12 137.5000MHz frame 03");
  EXPECT_DOUBLE_EQ(doc_.satellites[12].frequency, 137.5);

  const std::uint8_t message[12] = {0x1A, 0x21, 0x01, 0x23, 0x45, 0x67,
                                    0x89, 0xAB, 0xCD, 0xEF, 0x8C, 0x79};
  EXPECT_EQ(doc_.InterpretPacket(message), PacketOutcome::Accepted);
  EXPECT_EQ(LastLine(), "Message (pt. 2 of 2) EFCDA B8967 45230 00001");

  const std::uint8_t ephemeris[24] = {0x1F, 0x0C, 0x90, 0xD0, 0xCB, 0xC6, 0xAD, 0xB4,
                                      0xC4, 0x0C, 0,    0,    0,    0,    0,    0,
                                      0,    0x40, 0x32, 0x03, 0x78, 0x05, 0x49, 0x78};
  EXPECT_EQ(doc_.InterpretPacket(ephemeris), PacketOutcome::Accepted);
  EXPECT_EQ(LastLine(), "Ephemeris  FM-12 wk. 1400, Tue, 10:11:12 pos. 45.000173 36.869898");
  EXPECT_EQ(doc_.satellites[12].positionTime, 1178964672);
  EXPECT_EQ(doc_.lastSatellite, 12);

  const std::uint8_t elements[12] = {0x22, 0x07, 0x07, 0, 0, 0x80, 0, 0, 0, 0xF0, 0x25, 0x3B};
  EXPECT_EQ(doc_.InterpretPacket(elements), PacketOutcome::Accepted);
  EXPECT_EQ(LastLine(), "Elements   FM-07 Ma 180.00001073\xB0 Mm  14.06250100/day ");
}

}  // namespace
}  // namespace vantrel
