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
  EXPECT_TRUE(r.output.startsWith("Usage: vantrel") && r.output.contains("--input <FILE.wav>"));
  EXPECT_EQ(ParseCommandLine({"vantrel", "--version"}).output, "vantrel 1.3\n");
  for (const QStringList& bad :
       {QStringList{"vantrel", "--inptu", "x.wav"}, QStringList{"vantrel", "--input"},
        QStringList{"vantrel", "demo.wav"}}) {
    r = ParseCommandLine(bad);
    EXPECT_FALSE(r.options) << bad.join(' ').toStdString();
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.output.contains("vantrel --help"));
  }
}

}  // namespace
}  // namespace vantrel
