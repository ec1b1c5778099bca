// The desktop program's command line.
#include <gtest/gtest.h>

#include "app/command_line.h"

namespace vantrel {
namespace {

TEST(CommandLine, OptionsForCaptureAndAutomation) {
  CommandLineResult r = ParseCommandLine({"vantrel"});
  ASSERT_TRUE(r.options);
  EXPECT_TRUE(r.options->inputFile.isEmpty());
  EXPECT_FALSE(r.options->start);
  EXPECT_FALSE(r.options->automation);

  r = ParseCommandLine({"vantrel", "--input", "data/demo.wav", "--start"});
  ASSERT_TRUE(r.options);
  EXPECT_EQ(r.options->inputFile, "data/demo.wav");
  EXPECT_TRUE(r.options->start);

  r = ParseCommandLine({"vantrel", "--automation"});
  ASSERT_TRUE(r.options);
  EXPECT_TRUE(r.options->automation);
}

TEST(CommandLine, HelpVersionAndMistakes) {
  CommandLineResult r = ParseCommandLine({"vantrel", "--help"});
  EXPECT_FALSE(r.options);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.output.contains("--input <FILE.wav>"));
  EXPECT_TRUE(r.output.startsWith("Usage: vantrel"));

  r = ParseCommandLine({"vantrel", "--version"});
  EXPECT_EQ(r.output, "vantrel 1.3\n");

  for (const QStringList& bad : {QStringList{"vantrel", "--inptu", "x.wav"}, QStringList{"vantrel", "--input"},
                                 QStringList{"vantrel", "demo.wav"}}) {
    r = ParseCommandLine(bad);
    EXPECT_FALSE(r.options) << bad.join(' ').toStdString();
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.output.contains("vantrel --help"));
  }
}

}  // namespace
}  // namespace vantrel
