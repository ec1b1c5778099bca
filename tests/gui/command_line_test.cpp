// The desktop program's command line.
#include <gtest/gtest.h>

#include "app/command_line.h"

namespace vantrel {
namespace {

TEST(CommandLine, OptionsHelpVersionAndMistakes) {
  const struct {
    QStringList args;
    QString inputFile;
    bool start, automation;
  } good[] = {{{"vantrel"}, "", false, false},
              {{"vantrel", "--input", "data/demo.wav", "--start"}, "data/demo.wav", true, false},
              {{"vantrel", "--automation"}, "", false, true}};
  for (const auto& row : good) {
    const CommandLineResult r = ParseCommandLine(row.args);
    ASSERT_TRUE(r.options) << row.args.join(' ').toStdString();
    EXPECT_EQ(r.options->inputFile, row.inputFile);
    EXPECT_EQ(r.options->start, row.start);
    EXPECT_EQ(r.options->automation, row.automation);
  }

  CommandLineResult r = ParseCommandLine({"vantrel", "--help"});
  EXPECT_FALSE(r.options);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.output.startsWith("Usage: vantrel") && r.output.contains("--input <FILE.wav>"));
  EXPECT_EQ(ParseCommandLine({"vantrel", "--version"}).output, "vantrel 1.3\n");
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
