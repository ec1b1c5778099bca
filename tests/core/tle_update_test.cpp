// When a scheduled TLE update is due, which addresses are taken, and the
// new file written through a link (the failures are the desktop tests',
// against a real HTTP server).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "orbit/tle_update.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;

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

TEST(TleUpdate, ANewFileReplacesTheOneALinkNamesAndKeepsItsMode) {
  const fs::path dir = fs::temp_directory_path() / "vantrel-tle-update-test";
  fs::remove_all(dir);
  fs::create_directories(dir / "sets");
  std::ofstream(dir / "sets" / "orbcomm.tle") << "old\n";
  chmod((dir / "sets" / "orbcomm.tle").c_str(), 0640);
  fs::create_symlink("sets/orbcomm.tle", dir / "link.tle");
  const std::string sets =
      "ORBCOMM FM 5\n"
      "1 40000U 26001A   26339.24729127  .00000100  00000-0  68798-4 0  9993\n"
      "2 40000  44.8821 216.2726 0007562 279.4783 275.1880 14.20834726    18";

  const TleUpdateResult result =
      ApplyTleDownloads((dir / "link.tle").string(), {{"https://example.org/a.tle", sets, ""}});
  EXPECT_TRUE(result.replaced);
  EXPECT_EQ(result.notice, "TLE update: 1 set from https://example.org/a.tle written to " +
                               (dir / "sets" / "orbcomm.tle").string());
  EXPECT_TRUE(fs::is_symlink(dir / "link.tle"));
  std::ifstream in(dir / "sets" / "orbcomm.tle", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), sets + "\n");
  EXPECT_EQ(fs::status(dir / "sets" / "orbcomm.tle").permissions(), fs::perms(0640));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "sets"), {}), 1);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace vantrel
