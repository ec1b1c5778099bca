// What other programs read from the document: GetSatData's answers and the
// text a copy puts on the clipboard.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/text_encoding.h"
#include "document/automation.h"
#include "document/copy_text.h"
#include "document/vantrel_doc.h"

namespace vantrel {
namespace {

constexpr CTime kMay12 = 1178964672;  // 2007-05-12 10:11:12 UTC

class Readout : public ::testing::Test {
 protected:
  Readout() : clock_(kMay12), doc_(clock_, "/nonexistent/") { doc_.logFlag = 0; }
  HeldClock clock_;
  VantrelDoc doc_;
};

TEST_F(Readout, GetSatData) {
  doc_.interpreter().satellites()[5] = {137.2, 12.5, -33.25, kMay12, 0};
  doc_.interpreter().satellites()[12] = {137.5, 36.869898, 45.000173, 1178960000, 0};
  // Satellites outside 1..36 read the last one to report a position, or record 0; items 4 and
  // up are the number 0 or an empty value; no position yet is the time 0.
  const struct {
    int last, satellite, item;
    AutomationValue value;
  } rows[] = {{12, 1, kItemName, "FM-01"},
              {12, 36, kItemName, "FM-36"},
              {12, 0, kItemName, "FM-12"},
              {12, 37, kItemName, "FM-12"},
              {12, 0, kItemLatitude, 45.000173},
              {12, 5, kItemLatitude, -33.25},
              {12, 5, kItemLongitude, 12.5},
              {12, 5, kItemTime, "2007-05-12 10:11:12UTC"},
              {12, 0, 4, 0.0},
              {12, 5, 6, std::monostate{}},
              {12, 7, kItemTime, "1970-01-01 00:00:00UTC"},
              {255, 0, kItemName, "FM-255"},
              {256, 0, kItemName, "FM-00"}};
  for (const auto& r : rows) {
    doc_.interpreter().SetLastSatellite(r.last);
    EXPECT_EQ(GetSatData(doc_, r.satellite, r.item), r.value)
        << r.last << " " << r.satellite << " " << r.item;
  }
  // GetSatelliteData names every satellite a packet can: FM-01 .. FM-255.
  doc_.interpreter().SetLastSatellite(12);
  EXPECT_EQ(GetSatelliteData(doc_, 255, kItemName), AutomationValue("FM-255"));
  EXPECT_EQ(GetSatelliteData(doc_, 256, kItemName), AutomationValue("FM-12"));
  doc_.interpreter().satellites()[5].latitude = 1.5;  // nothing is cached between calls
  EXPECT_EQ(GetSatData(doc_, 5, kItemLatitude), AutomationValue(1.5));
}

TEST_F(Readout, CopyTextOfTheMessagesAndSatellitesScreens) {
  doc_.PostLine("a line");
  for (int state : {0, 2, 4, -1}) {  // signal and chart screens copy nothing
    doc_.viewState = static_cast<Screen>(state);
    EXPECT_EQ(BuildCopyText(doc_), "") << state;
  }
  doc_.viewState = kMessagesScreen;
  std::string expected;
  for (int i = 0; i < 130; ++i) doc_.PostLine("L" + std::to_string(i));
  for (int i = 30; i < 130; ++i) expected += "L" + std::to_string(i) + "\r\n";
  EXPECT_EQ(BuildCopyText(doc_), expected);  // each line once, oldest first

  doc_.messageRing().Clear();
  EXPECT_EQ(BuildCopyText(doc_), "");
  const std::string line(60, 'x');  // 62 with CR LF: 4095 = 66 lines and 3 characters
  for (int i = 0; i < 100; ++i) doc_.PostLine(line);
  const std::string cut = BuildCopyText(doc_);
  ASSERT_EQ(cut.size(), kCopyTextLimit);
  EXPECT_EQ(cut.substr(65 * 62), line + "\r\nxxx");
  doc_.messageRing().Clear();
  doc_.PostLine(std::string(4094, 'y'));  // cut between CR and LF
  EXPECT_EQ(BuildCopyText(doc_), std::string(4094, 'y') + "\r");

  // The satellites screen: FM-01 to FM-36 always, then those heard above 36.
  doc_.viewState = kSatellitesScreen;
  doc_.interpreter().satellites()[5] = {137.2875, 139.0, -34.5, 1180701296, 0};
  doc_.interpreter().satellites()[12].frequency = 137.7375;
  doc_.interpreter().satellites()[20].frequency = 138.0;  // out of range: short row
  doc_.interpreter().satellites()[44].frequency = 137.2875;
  doc_.interpreter().satellites()[255].positionTime = 1180701296;  // a position only
  doc_.interpreter().satellites()[100].frequency = 138.0;          // never a downlink: not heard
  const std::string text = BuildCopyText(doc_);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 38);
  EXPECT_TRUE(text.starts_with("FM-01\r\n"));
  EXPECT_TRUE(text.ends_with("\r\nFM-36\r\nFM-44 137.2875MHz\r\nFM-255\r\n"));
  for (const char* rows :
       {"\r\nFM-05 137.2875MHz -34.50000\xB0  139.00000\xB0 07-06-01 12:34:56\r\n",
        "\r\nFM-12 137.7375MHz\r\nFM-13\r\n", "\r\nFM-20\r\n"})
    EXPECT_NE(text.find(rows), std::string::npos) << rows;
}

// Copy text and the bus answer in UTF-8: the code page's bytes 0x80..0x9F are
// its own characters, the five it leaves undefined the replacement character.
TEST(TextEncoding, HighBytesOfTheCodePageBecomeTheirCharacters) {
  EXPECT_EQ(Cp1252ToUtf8("\x80\x81\x9F\xA0\xB0 x\x7F"), "\u20AC\uFFFD\u0178\u00A0\u00B0 x\x7F");
}

}  // namespace
}  // namespace vantrel
