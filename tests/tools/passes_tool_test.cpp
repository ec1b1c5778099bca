// vantrel-passes run as a user would: JSON and table from a TLE file, the
// satellite table's downlink from the settings file, and bad input.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "support/tool_run.h"

namespace vantrel::test {
namespace {

const char* const kSets =
    "ORBCOMM FM109\n"
    "1 40000U 26001A   26339.24729127  .00000100  00000-0  68798-4 0  9993\n"
    "2 40000  44.8821 216.2726 0007562 279.4783 275.1880 14.20834726    18\n"
    "MOLNIYA\n"
    "1 08195U 75081A   26339.33215444  .00000099  00000-0  11873-3 0   813\n"
    "2 08195  64.1586 279.0717 6877146 264.7651  20.2257  2.00491383225656\n";

class PassesTool : public ToolRun {
 protected:
  PassesTool() { std::ofstream(dir_ / "sets.tle") << kSets; }
  // Runs with its own configuration folder, so the user's settings stay out.
  int Run(const std::string& args) {
    return Shell("XDG_CONFIG_HOME=" + dir_.string() + " vantrel-passes " + args);
  }
};

TEST_F(PassesTool, ListsPassesAsJsonAndTable) {
  // The satellite table has heard FM109 (a key of its own above FM-36) on 137.5 MHz.
  std::filesystem::create_directories(dir_ / "Vantrel");
  std::ofstream(dir_ / "Vantrel" / "Vantrel.conf")
      << "[General]\nSat109=0000000000306140" << std::string(48, '0') << "\n";
  const std::string args =
      "--tle sets.tle --home 52.5,-1.25 --start 2026-12-05T00:00:00Z --hours 12 --min-elevation 5";
  ASSERT_EQ(Run(args + " --json"), 0) << err_;
  EXPECT_EQ(err_, "");
  // The passes' order and times are tests/core's; here the tool's fields.
  std::istringstream lines(out_);
  std::set<std::string> downlinks;
  std::vector<std::string> aos;
  for (std::string line; std::getline(lines, line);) {
    const auto pass = nlohmann::json::parse(line);
    aos.push_back(pass.at("aos"));
    EXPECT_TRUE(std::regex_match(aos.back(), std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")));
    downlinks.insert(pass.at("satellite").get<std::string>() + " " +
                     pass.value("downlink_mhz", nlohmann::json(0)).dump());
  }
  EXPECT_EQ(downlinks, (std::set<std::string>{"MOLNIYA 0", "ORBCOMM FM109 137.5"}));
  ASSERT_GE(aos.size(), 3u);
  const std::string json = out_;  // the same instant written with an offset from UTC
  ASSERT_EQ(Run(std::regex_replace(args, std::regex("00:00:00Z"), "01:30:00+01:30") + " --json"),
            0);
  EXPECT_EQ(out_, json);

  // The table: a header, then one row per pass with its UTC time.
  ASSERT_EQ(Run(args), 0) << err_;
  EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), aos.size() + 1);
  EXPECT_NE(out_.find("137.5000"), std::string::npos);
  EXPECT_NE(out_.find(aos.back()), std::string::npos);

  // A pass starts where it rises above the minimum elevation given last.
  ASSERT_EQ(Run(args + " --min-elevation 30 --json"), 0) << err_;
  EXPECT_GT(nlohmann::json::parse(out_.substr(0, out_.find('\n')))["aos"].get<std::string>(),
            aos[0]);
}

TEST_F(PassesTool, BadInputIsOneLineAndStatusTwo) {
  std::ofstream(dir_ / "junk.tle") << "NOT A SET\n1 nothing\n2 nothing\n";
  const std::string home = " --home 52.5,-1.25";
  const std::string rows[] = {
      "--home 52.5,-1.25",
      "--tle sets.tle",
      "--tle sets.tle --home 91,0",
      "--tle sets.tle --home 52.5",
      "--tle sets.tle" + home + " --start 2026-02-30T00:00:00Z",
      "--tle sets.tle" + home + " --hours 0",
      "--tle sets.tle" + home + " --min-elevation 95",
      "--tle sets.tle" + home + " --bogus",
      "--tle sets.tle" + home + " --hours",
      "--tle missing.tle" + home,
      "--tle junk.tle" + home,
  };
  for (const std::string& args : rows) {
    EXPECT_EQ(Run(args), 2) << args;
    EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << args << ": " << err_;
    EXPECT_EQ(err_.rfind("vantrel-passes: ", 0), 0u) << err_;
    EXPECT_EQ(out_, "") << args;
  }
}

}  // namespace
}  // namespace vantrel::test
