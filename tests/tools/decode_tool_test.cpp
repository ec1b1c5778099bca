// vantrel-decode run as a user would run it, on synthesized recordings.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/packet_builder.h"
#include "support/signal_synth.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int status = -1;
  std::string out, err;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One packet of every type, and the UTF-8 lines they give in this order.
const std::vector<Packet>& Packets() {
  static const std::vector<Packet> packets = {
      WithChecksum({0x65, 0xA8, 0xF9, 0x0C, 0x00, 0xC8, 0x30, 0, 0, 0}),
      WithChecksum({0x1A, 0x21, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}),
      WithChecksum({0x1B, 0x00, 0x00, 0x01, 0x02, 0x00, 0x05, 0x06, 0x07, 0x00}),
      WithChecksum({0x1C, 0x10, 0x00, 0x00, 0x00, 0xA0, 0x00, 0x00, 0x41, 0x00}),
      WithChecksum({0x1D, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09}),
      WithChecksum({0x1E, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00, 0x11, 0x22}),
      {0x1F, 0x0C, 0x90, 0xD0, 0xCB, 0xC6, 0xAD, 0xB4, 0xC4, 0x0C, 0, 0,
       0,    0,    0,    0,    0,    0x40, 0x32, 0x03, 0x78, 0x05, 0x49, 0x78},
      WithChecksum({0x22, 0x07, 0x07, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0xF0}),
  };
  return packets;
}
const char* const kLinesWithFill =
    "Spacecraft FM-12 137.5000MHz frame 03\n"
    "Message (pt. 2 of 2) EFCDA B8967 45230 00001\n"
    "Uplink channels 148.0025MHz 148.0050MHz \n"
    "Downlink channels (pt 1 of 1) 137.1625MHz 137.4000MHz \n"
    "Network Control 010203040506070809\n"
    "Fill packet AABBCCDDEEFF001122\n"
    "Ephemeris  FM-12 wk. 1400, Tue, 10:11:12 pos. 45.000173 36.869898\n"
    "Elements   FM-07 Ma 180.00001073\xC2\xB0 Mm  14.06250100/day \n";

class DecodeTool : public ::testing::Test {
 protected:
  DecodeTool() {
    char pattern[] = "/tmp/vantrel-decode-test.XXXXXX";
    dir_ = mkdtemp(pattern);
  }
  ~DecodeTool() override { fs::remove_all(dir_); }

  // Runs the tool through the shell; stdin from a file when given.
  ToolRun Decode(const std::string& args, const std::string& stdinFile = "") {
    const char* bin = std::getenv("VANTREL_BIN_DIR");
    const std::string command = std::string(bin != nullptr ? bin : ".") + "/vantrel-decode " +
                                args + (stdinFile.empty() ? "" : " < " + stdinFile) + " > " +
                                (dir_ / "out").string() + " 2> " + (dir_ / "err").string();
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile(dir_ / "out");
    run.err = ReadFile(dir_ / "err");
    return run;
  }

  std::string Wav(const std::string& name, const std::vector<std::uint8_t>& audio,
                  const WavFormat& format = {}) {
    const std::string path = (dir_ / name).string();
    EXPECT_TRUE(WriteWav(path, audio, format));
    return path;
  }

  static std::vector<std::uint8_t> Audio(bool inverted, int leadIn, std::uint32_t seed) {
    SynthOptions options;
    options.noise = 6.0;
    options.inverted = inverted;
    options.leadInSamples = leadIn;
    options.idleBits = 40;
    options.seed = seed;
    return SynthesizePackets(Packets(), options);
  }

  fs::path dir_;
};

TEST_F(DecodeTool, LinesExactAtEitherPolarityFixedOrFound) {
  const std::string upright = Wav("upright.wav", Audio(false, 333, 11));
  const std::string inverted = Wav("inverted.wav", Audio(true, 333, 12));
  // Auto starts inverted and flips after two quiet seconds.
  const std::string lateUpright = Wav("late.wav", Audio(false, 120000, 13));
  const std::string common = "--filter b1E=1 --start-time 2007-05-12T10:11:12Z ";
  for (const std::string& args :
       {"--polarity upright " + upright, "--polarity inverted " + inverted, inverted,
        lateUpright, "--polarity=auto " + inverted}) {
    SCOPED_TRACE(args);
    const ToolRun run = Decode(common + args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, kLinesWithFill);
    EXPECT_EQ(run.err, "");
  }
}

TEST_F(DecodeTool, ReadsSixteenBitFilesAndOnlyTheFirstChannel) {
  WavFormat stereo16;
  stereo16.channels = 2;
  stereo16.sixteenBit = true;
  const ToolRun run = Decode("--polarity upright --filter b1E=1,b65=0 " +
                         Wav("stereo.wav", Audio(false, 5000, 4), stereo16));
  EXPECT_EQ(run.status, 0);
  // Only the sync line is missing: its filter is off.
  EXPECT_EQ(run.out, std::string(kLinesWithFill).substr(38));
}

TEST_F(DecodeTool, RawSamplesFromStandardInput) {
  const auto audio = Audio(false, 0, 5);
  const std::string path = (dir_ / "stream.u8").string();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(audio.data()), static_cast<std::streamsize>(audio.size()));
  const ToolRun run = Decode("--raw-input --polarity upright -", path);
  EXPECT_EQ(run.status, 0);
  const std::string expected =
      std::string(kLinesWithFill).erase(std::string(kLinesWithFill).find("Fill"), 31);
  EXPECT_EQ(run.out, expected);
}

TEST_F(DecodeTool, UnusableInputIsOneLineAndStatusTwo) {
  WavFormat cd;
  cd.sampleRate = 44100;
  const std::string wrongRate = Wav("cd.wav", Audio(false, 0, 1), cd);
  ToolRun run = Decode(wrongRate);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "vantrel-decode: " + wrongRate + ": sample rate is 44100 Hz, 48000 Hz needed\n");

  const std::string text = (dir_ / "notes.wav").string();
  std::ofstream(text) << "these are notes, not audio\n";
  run = Decode(text);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind("vantrel-decode: " + text + ": not a readable audio file", 0), 0u)
      << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);

  run = Decode((dir_ / "missing.wav").string());
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("missing.wav: cannot open"), std::string::npos) << run.err;

  for (const char* args : {"--polarity sideways x.wav", "--filter b99=1 x.wav",
                           "--start-time yesterday x.wav", "--raw x.wav", "-", ""}) {
    run = Decode(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args << ": " << run.err;
  }
  run = Decode("--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("--raw-input"), std::string::npos);
}

TEST_F(DecodeTool, LogFilesAreByteExactAndFollowTheAudioClock) {
  // A sync packet found in second 1 (clock start + 2 = 23:59:59) and an
  // uplink packet found in second 2 (clock start + 3 = 00:00:00 next day).
  SynthOptions options;
  options.leadInSamples = 4800;
  options.noise = 6;
  auto audio = SynthesizePackets({Packets()[0]}, options);
  audio.resize(72000, 128);
  const auto second = SynthesizePackets({Packets()[2]}, {});
  audio.insert(audio.end(), second.begin(), second.end());
  const fs::path logs = dir_ / "logs";
  fs::create_directory(logs);
  std::ofstream(logs / "orbcomm070512.log", std::ios::binary) << "earlier\r\n";

  const ToolRun run = Decode("--polarity upright --start-time 2007-05-12T23:59:57Z --log-dir " +
                         logs.string() + " --raw " + Wav("log.wav", audio));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(ReadFile(logs / "orbcomm070512.log"),
            "earlier\r\nSpacecraft FM-12 137.5000MHz frame 03[07-05-12 23:59:59]\r\n");
  EXPECT_EQ(ReadFile(logs / "orbcomm_raw070512.log"),
            "\r\n65 A8 F9 0C 00 C8 30 00 00 00 58 9E  [07-05-12 23:59:59]\r\n");
  EXPECT_EQ(ReadFile(logs / "orbcomm070513.log"),
            "Uplink channels 148.0025MHz 148.0050MHz [07-05-13 00:00:00]\r\n");
  EXPECT_EQ(ReadFile(logs / "orbcomm_raw070513.log"),
            "1B 00 00 01 02 00 05 06 07 00 7B 55  [07-05-13 00:00:00]\r\n");

  // A log directory that does not exist costs a warning, not the decoding.
  const ToolRun missing = Decode("--polarity upright --log-dir " + (dir_ / "nowhere").string() +
                             " " + (dir_ / "log.wav").string());
  EXPECT_EQ(missing.status, 0);
  EXPECT_EQ(missing.out.substr(0, 10), "Spacecraft");
  EXPECT_NE(missing.err.find("does not exist"), std::string::npos);
}

TEST_F(DecodeTool, TablePrintsAllThirtySixRows) {
  const ToolRun run = Decode("--table --polarity upright --start-time 2007-05-12T10:11:12Z " +
                         Wav("table.wav", Audio(false, 0, 6)));
  EXPECT_EQ(run.status, 0);
  const std::string table = run.out.substr(run.out.find("FM-01\n"));
  std::string expected;
  for (int k = 1; k <= 36; ++k) {
    char row[80];
    std::snprintf(row, sizeof row, "FM-%02d\n", k);
    expected += k == 12 ? "FM-12 137.5000MHz  45.00017\xC2\xB0   36.86990\xC2\xB0 07-05-12 10:11:14\n"
                        : row;
  }
  EXPECT_EQ(table, expected);
}

TEST_F(DecodeTool, DemoRecordingShowsEveryPacketType) {
  const char* source = std::getenv("VANTREL_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  const ToolRun run = Decode("--table --filter b1E=1 " + std::string(source) + "/data/demo.wav");
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* start : {"Spacecraft FM-", "Message (pt. ", "Uplink channels ",
                            "Downlink channels (pt ", "Network Control ", "Fill packet ",
                            "Ephemeris  FM-", "Elements   FM-"}) {
    EXPECT_NE(run.out.find(std::string("\n") + start), std::string::npos) << start;
  }
  int withPosition = 0;
  for (std::size_t at = run.out.find("MHz "); at != std::string::npos;
       at = run.out.find("MHz ", at + 1)) {
    if (run.out.compare(at + 4, 1, "-") == 0 || run.out.compare(at + 4, 1, " ") == 0) {
      // "FM-nn 137.xxxxMHz  lat° lon° time" rows only.
      const std::size_t lineStart = run.out.rfind('\n', at) + 1;
      if (run.out.compare(lineStart, 3, "FM-") == 0 && run.out.find("\xC2\xB0", at) <
                                                          run.out.find('\n', at)) {
        ++withPosition;
      }
    }
  }
  EXPECT_GE(withPosition, 4);
}

}  // namespace
}  // namespace vantrel::test
