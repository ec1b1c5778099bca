// The desktop program's command line: what it prints instead of running.
#include <gtest/gtest.h>

#include "app/command_line.h"

#include <tuple>

namespace vantrel {
namespace {

// --input, --start and --automation are taken through the real program in e2e.
TEST(CommandLine, HelpVersionAndMistakes) {
  CommandLineResult r = ParseCommandLine({"vantrel", "--help"});
  EXPECT_FALSE(r.options);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.output.startsWith("Usage: vantrel"));
  EXPECT_EQ(ParseCommandLine({"vantrel", "--version"}).output, "vantrel 1.3\n");
  r = ParseCommandLine({"vantrel", "--inptu", "x.wav"});
  EXPECT_FALSE(r.options);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.output.contains("vantrel --help"));
  // The same words as vantrel-decode's for the same mistakes.
  for (const auto& [arguments, error] :
       {std::pair<QStringList, QString>{{"--center-freq", "0"}, "Bad --center-freq '0'"},
        {{"--ppm", "900"}, "Bad --ppm '900'"},
        {{"--device", "rtlsdr"}, "Bad device arguments 'rtlsdr'"}}) {
    r = ParseCommandLine(
        QStringList{"vantrel", "--input", "b.cu8", "--iq-format", "cu8", "--iq-rate", "1e6"} +
        arguments);
    EXPECT_FALSE(r.options);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.output.startsWith(error)) << r.output.toStdString();
  }
}

// Device arguments and frequency correction for the settings, in one form.
TEST(CommandLine, SdrDeviceAndCorrection) {
  const auto r =
      ParseCommandLine({"vantrel", "--device", " serial=7 ,driver=rtlsdr", "--ppm", "-1"});
  ASSERT_TRUE(r.options);
  EXPECT_EQ(std::tuple(r.options->sdrDevice, r.options->sdrPpm),
            std::tuple("driver=rtlsdr,serial=7", -1.0));
}

}  // namespace
}  // namespace vantrel
