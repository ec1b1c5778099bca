// GetSatData's answers and the running-object registration steps.
#include <gtest/gtest.h>

#include <vector>

#include "document/automation.h"
#include "document/vantrel_doc.h"

namespace vantrel {
namespace {

class SatData : public ::testing::Test {
 protected:
  SatData() : clock_(1178964672), doc_(clock_, "/nonexistent/") {
    doc_.satellites[5] = {137.2, 12.5, -33.25, 1178964672, 0};  // 2007-05-12 10:11:12
    doc_.satellites[12] = {137.5, 36.869898, 45.000173, 1178960000, 0};
    doc_.lastSatellite = 12;
  }
  std::string Text(int satellite, int item) const {
    const AutomationValue v = GetSatData(doc_, satellite, item);
    EXPECT_TRUE(std::holds_alternative<std::string>(v)) << satellite << "," << item;
    return std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : "";
  }
  double Number(int satellite, int item) const {
    const AutomationValue v = GetSatData(doc_, satellite, item);
    EXPECT_TRUE(std::holds_alternative<double>(v)) << satellite << "," << item;
    return std::holds_alternative<double>(v) ? std::get<double>(v) : -999.0;
  }
  HeldClock clock_;
  CVantrelDoc doc_;
};

TEST_F(SatData, ChosenSatelliteIsArgumentOrLastSatellite) {
  EXPECT_EQ(Text(5, kItemName), "FM-05");
  EXPECT_EQ(Text(1, kItemName), "FM-01");
  EXPECT_EQ(Text(36, kItemName), "FM-36");
  for (int outside : {0, 37, -1, 32767, -32768}) EXPECT_EQ(Text(outside, kItemName), "FM-12");
  EXPECT_DOUBLE_EQ(Number(0, kItemLatitude), 45.000173);
  EXPECT_DOUBLE_EQ(Number(37, kItemLongitude), 36.869898);
}

TEST_F(SatData, ItemsReadTheRecordAsItStands) {
  EXPECT_DOUBLE_EQ(Number(5, kItemLatitude), -33.25);
  EXPECT_DOUBLE_EQ(Number(5, kItemLongitude), 12.5);
  EXPECT_EQ(Text(5, kItemTime), "2007-05-12 10:11:12UTC");
  // 3 and 4 are numbers, not empty values.
  EXPECT_EQ(Number(5, 3), 0.0);
  EXPECT_EQ(Number(0, 4), 0.0);
  for (int item : {6, 7, -1, 100, -32768, 32767})
    EXPECT_TRUE(std::holds_alternative<std::monostate>(GetSatData(doc_, 5, item))) << item;

  doc_.satellites[5].latitude = 1.5;  // nothing is cached between calls
  EXPECT_DOUBLE_EQ(Number(5, kItemLatitude), 1.5);
}

TEST_F(SatData, RecordWithoutPositionGivesTheEpoch) {
  EXPECT_EQ(Text(7, kItemTime), "1970-01-01 00:00:00UTC");
  EXPECT_EQ(Number(7, kItemLatitude), 0.0);

  // No position stored yet: out-of-range satellites read record 0.
  doc_.lastSatellite = 0;
  EXPECT_EQ(Text(0, kItemName), "FM-00");
  EXPECT_EQ(Text(99, kItemTime), "1970-01-01 00:00:00UTC");
  EXPECT_EQ(Number(99, kItemLongitude), 0.0);
}

TEST_F(SatData, LastSatelliteOutsideTheTableReadsRecordZero) {
  for (int bad : {37, 1000, -5}) {
    doc_.lastSatellite = bad;
    EXPECT_EQ(Text(0, kItemName), "FM-00") << bad;
    EXPECT_EQ(Number(0, kItemLatitude), 0.0) << bad;
  }
}

class FakeRegistry : public ObjectRegistry {
 public:
  std::uint32_t Register(CVantrelDoc& doc) override {
    registered.push_back(&doc);
    return answer;
  }
  void Revoke(std::uint32_t cookie) override { revoked.push_back(cookie); }
  std::uint32_t answer = 7;
  std::vector<CVantrelDoc*> registered;
  std::vector<std::uint32_t> revoked;
};

TEST_F(SatData, RegistrationKeepsCookieAndWithdrawalRevokesOnlyWhatWasEntered) {
  FakeRegistry registry;
  RegisterRunningObject(doc_, &registry);
  ASSERT_EQ(registry.registered, std::vector<CVantrelDoc*>{&doc_});
  EXPECT_EQ(doc_.registrationCookie, 7u);
  RevokeRunningObject(doc_, &registry);
  EXPECT_EQ(registry.revoked, std::vector<std::uint32_t>{7});
  EXPECT_EQ(doc_.registrationCookie, 0u);
  RevokeRunningObject(doc_, &registry);  // twice is harmless
  EXPECT_EQ(registry.revoked.size(), 1u);

  // A failed registration is silent and nothing is revoked.
  registry.answer = 0;
  RegisterRunningObject(doc_, &registry);
  EXPECT_EQ(doc_.registrationCookie, 0u);
  RevokeRunningObject(doc_, &registry);
  EXPECT_EQ(registry.revoked.size(), 1u);

  // No registry (command-line tools): nothing happens.
  RegisterRunningObject(doc_, nullptr);
  RevokeRunningObject(doc_, nullptr);
  EXPECT_EQ(doc_.registrationCookie, 0u);
}

}  // namespace
}  // namespace vantrel
