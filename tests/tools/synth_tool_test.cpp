// vantrel-synth's packet lists piped straight into vantrel-decode.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

std::string Bin(const char* program) {
  const char* dir = std::getenv("VANTREL_BIN_DIR");
  return std::string(dir != nullptr ? dir : ".") + "/" + program;
}

std::string Capture(const std::string& command, int* status) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int raw = pclose(pipe);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  return out;
}

class SynthTool : public ::testing::Test {
 protected:
  SynthTool() {
    char pattern[] = "/tmp/vantrel-synth-test.XXXXXX";
    dir_ = mkdtemp(pattern);
  }
  ~SynthTool() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(SynthTool, PacketListDecodesBackThroughAPipe) {
  const fs::path script = dir_ / "packets.txt";
  std::ofstream(script) << "# sync with check bytes given, then one without\n"
                           "65 A8 F9 0C 00 C8 30 00 00 00 58 9E\n"
                           "pause 0.3\n"
                           "65 A8 F9 09 00 B0 60 00 00 00   # FM-09\n"
                           "ephemeris 9 -34.50 139.00 775 2000 90123\n"
                           "1D 01 02 03 04 05 06 07 08 09\n";
  int status = -1;
  const std::string out =
      Capture(Bin("vantrel-synth") + " --raw --noise 5 --idle-bits 3 " + script.string() +
                  " - | " + Bin("vantrel-decode") + " --raw-input --polarity upright -",
              &status);
  EXPECT_EQ(status, 0);
  // The decoder's formula, whose corrections are sized for kilometres, gives
  // nearly the geocentric latitude of the metre coordinates: 0.16 degrees
  // nearer the equator than the geodetic latitude given here.
  EXPECT_EQ(out,
            "Spacecraft FM-12 137.5000MHz frame 03\n"
            "Spacecraft FM-09 137.4400MHz frame 06\n"
            "Ephemeris  FM-09 wk. 2000, Mon, 01:02:03 pos. -34.340253 139.000006\n"
            "Network Control 010203040506070809\n");
}

TEST_F(SynthTool, BadListIsRefusedWithTheLine) {
  const fs::path script = dir_ / "bad.txt";
  std::ofstream(script) << "pause 0.1\n1D 01 02\n";
  int status = -1;
  const std::string err = Capture(Bin("vantrel-synth") + " " + script.string() + " " +
                                      (dir_ / "out.wav").string() + " 2>&1",
                                  &status);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(err, "vantrel-synth: " + script.string() + ":2: a packet has 10, 12, 22 or 24 bytes\n");
  EXPECT_FALSE(fs::exists(dir_ / "out.wav"));
}

}  // namespace
