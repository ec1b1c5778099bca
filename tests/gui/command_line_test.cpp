// The desktop program's command line: what it prints instead of running.
#include <gtest/gtest.h>

#include "app/command_line.h"

namespace vantrel {
namespace {

// --input, --start and --automation are taken through the real program in e2e.
TEST(CommandLine, HelpVersionAndMistakes) {
  CommandLineResult r = ParseCommandLine({"vantrel", "--help"});
  EXPECT_FALSE(r.options);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.output.startsWith("Usage: vantrel"));
  EXPECT_TRUE(r.output.contains("--input <FILE.wav>"));
  EXPECT_EQ(ParseCommandLine({"vantrel", "--version"}).output, "vantrel 1.3\n");
  r = ParseCommandLine({"vantrel", "--inptu", "x.wav"});
  EXPECT_FALSE(r.options);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.output.contains("vantrel --help"));
}

}  // namespace
}  // namespace vantrel
