// When a scheduled TLE update is due and which addresses are taken (the
// downloads and the file written are the desktop tests', against a real
// HTTP server).
#include <gtest/gtest.h>

#include "orbit/tle_update.h"

namespace vantrel {
namespace {

TEST(TleUpdate, WhenDue) {
  constexpr double kNow = 1765000000, kDay = 86400;
  const struct {
    std::optional<double> file;
    int hours;
    std::optional<double> lastAttempt;
    bool due;
  } rows[] = {
      {kNow - kDay, 24, {}, true},          {kNow - kDay + 60, 24, {}, false},
      {std::nullopt, 24, {}, true},         {kNow - 10 * kDay, 0, {}, false},
      {kNow + 2 * kDay, 24, {}, true},      {kNow - kDay, 24, kNow - 3000, false},
      {kNow - kDay, 24, kNow - 3700, true}, {std::nullopt, 6, kNow - 3500, false},
  };
  for (const auto& r : rows)
    EXPECT_EQ(TleUpdateDue(kNow, r.file, r.hours, r.lastAttempt), r.due)
        << (r.file ? *r.file - kNow : 0) << " " << r.hours;
}

TEST(TleUpdate, AddressesAreHttpOrHttpsWithAHost) {
  EXPECT_EQ(SplitTleUrls(" http://a/x\n\thttps://b/y  "),
            (std::vector<std::string>{"http://a/x", "https://b/y"}));
  EXPECT_EQ(CheckTleUrls(std::string(kDefaultTleUrl) + "\nHTTP://127.0.0.1:8080/a.tle"), "");
  EXPECT_EQ(CheckTleUrls(""), "");
  for (const char* bad : {"ftp://host/a.tle", "https://", "http:///a.tle", "celestrak.org",
                          "https://h\xC3\xA9/a.tle"})
    EXPECT_NE(CheckTleUrls(std::string("https://ok/ ") + bad), "") << bad;
}

}  // namespace
}  // namespace vantrel
