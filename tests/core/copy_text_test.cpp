#include "document/copy_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

class CopyTextTest : public ::testing::Test {
 protected:
  HeldClock clock_{1180701296};
  CVantrelDoc doc_{clock_, "/tmp/"};

  void Post(const std::string& line) {
    doc_.logFlag = 0;
    doc_.PostLine(line, false);
  }
};

TEST_F(CopyTextTest, SignalAndChartScreensCopyNothing) {
  Post("a line");
  for (int state : {0, 2, 4, -1}) {
    doc_.viewState = state;
    EXPECT_EQ(BuildCopyText(doc_), "") << "view state " << state;
  }
}

TEST_F(CopyTextTest, MessagesAreTheNonEmptyLinesOldestFirstEachEndedByCrLf) {
  doc_.viewState = 1;
  EXPECT_EQ(BuildCopyText(doc_), "");
  Post("first");
  Post("second");
  Post("third");
  EXPECT_EQ(BuildCopyText(doc_), "first\r\nsecond\r\nthird\r\n");
}

TEST_F(CopyTextTest, WrappedRingCopiesEachLineOnceInArrivalOrder) {
  doc_.viewState = 1;
  for (int i = 0; i < 130; ++i) Post("L" + std::to_string(i));
  std::string expected;
  for (int i = 30; i < 130; ++i) expected += "L" + std::to_string(i) + "\r\n";
  EXPECT_EQ(BuildCopyText(doc_), expected);
}

TEST_F(CopyTextTest, LongTextIsCutToTheFirst4095Characters) {
  doc_.viewState = 1;
  const std::string line(60, 'x');  // 62 characters with CR LF: 100 lines make 6200
  for (int i = 0; i < 100; ++i) Post(line);
  const std::string text = BuildCopyText(doc_);
  ASSERT_EQ(text.size(), kCopyTextLimit);
  // 4095 = 66 whole lines of 62 plus 3 characters of the next.
  EXPECT_EQ(text.substr(66 * 62), "xxx");
  EXPECT_EQ(text.substr(65 * 62, 62), line + "\r\n");

  // The cut may fall between a line's CR and LF.
  doc_.messages.fill("");
  doc_.PostLine(std::string(4094, 'y'), false);
  EXPECT_EQ(BuildCopyText(doc_), std::string(4094, 'y') + "\r");
}

TEST_F(CopyTextTest, SatellitesAreAlways36RowsWithCrLf) {
  doc_.viewState = 3;
  std::string expected;
  for (int k = 1; k <= 36; ++k) expected += (k < 10 ? "FM-0" : "FM-") + std::to_string(k) + "\r\n";
  EXPECT_EQ(BuildCopyText(doc_), expected);

  doc_.satellites[5] = {137.2875, 139.0, -34.5, 1180701296, 0};
  doc_.satellites[12].frequency = 137.7375;
  doc_.satellites[20].frequency = 138.0;  // out of range: short row
  const std::string text = BuildCopyText(doc_);
  EXPECT_NE(text.find("\r\nFM-05 137.2875MHz -34.50000\xB0  139.00000\xB0 07-06-01 12:34:56\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\r\nFM-12 137.7375MHz\r\nFM-13\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nFM-20\r\n"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
