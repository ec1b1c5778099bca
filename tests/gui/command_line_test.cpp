// The desktop program's command line: what it prints instead of running.
#include <gtest/gtest.h>

#include "app/command_line.h"

#include <tuple>

namespace vantrel {
namespace {

// --input, --start and --automation are taken through the real program in e2e.
TEST(CommandLine, HelpVersionAndMistakes) {
  CommandLineResult r = ParseCommandLine({"vantrel", "--help"});
  EXPECT_EQ(std::tuple(r.options.has_value(), r.exitCode), std::tuple(false, 0));
  EXPECT_TRUE(r.output.startsWith("Usage: vantrel"));
  EXPECT_EQ(ParseCommandLine({"vantrel", "--version"}).output, "vantrel 1.3\n");
  // The same words as vantrel-decode's for the same mistakes, in one line.
  for (const auto& [arguments, error] :
       {std::pair<QStringList, QString>{{"--center-freq", "0"}, "Bad --center-freq '0'"},
        {{"--inptu", "x.wav"}, "Unknown option '--inptu'; see --help\n"},
        {{"-x.wav"}, "Unknown option '-x'; see --help\n"},
        {{"--ppm"}, "Option '--ppm' needs a value; see --help\n"},
        {{"--ppm", "900"}, "Bad --ppm '900'"},
        {{"--device", "rtlsdr"}, "Bad device arguments 'rtlsdr'"}}) {
    r = ParseCommandLine(
        QStringList{"vantrel", "--input", "b.cu8", "--iq-format", "cu8", "--iq-rate", "1e6"} +
        arguments);
    EXPECT_EQ(std::tuple(r.options.has_value(), r.exitCode), std::tuple(false, 2));
    EXPECT_TRUE(r.output.startsWith("vantrel: " + error)) << r.output.toStdString();
    EXPECT_EQ(r.output.count('\n'), 1);
  }
}

// Device arguments and ppm for the settings, in one form; IQ at the real passes' 9600 S/s.
TEST(CommandLine, SdrDeviceAndCorrection) {
  const auto r =
      ParseCommandLine({"vantrel", "--device", " serial=7 ,driver=rtlsdr", "--ppm", "-1", "--input",
                        "p.cf32", "--iq-format", "cf32", "--iq-rate", "9600"});
  ASSERT_TRUE(r.options && r.options->iqRecording);
  EXPECT_EQ(std::tuple(r.options->sdrDevice, r.options->sdrPpm, r.options->iqRecording->sampleRate),
            std::tuple("driver=rtlsdr,serial=7", -1.0, 9600.0));
}

}  // namespace
}  // namespace vantrel
