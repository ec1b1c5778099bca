// vantrel-decode and vantrel-synth run as a user would, on synthesized recordings.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <nlohmann/json.hpp>

#include "support/tool_run.h"
#include "synth/packet_builder.h"
#include "synth/signal_synth.h"
#include "vantrel_version.h"

namespace vantrel::test {
using namespace synth;
namespace {

namespace fs = std::filesystem;

// One packet of every type, and the lines they decode to in this order.
const std::vector<Packet> kPackets = {
    WithChecksum({0x65, 0xA8, 0xF9, 0x0C, 0x00, 0xC8, 0x30, 0, 0, 0}),
    WithChecksum({0x1A, 0x21, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}),
    WithChecksum({0x1B, 0x00, 0x00, 0x01, 0x02, 0x00, 0x05, 0x06, 0x07, 0x00}),
    WithChecksum({0x1C, 0x10, 0x00, 0x00, 0x00, 0xA0, 0x00, 0x00, 0x41, 0x00}),
    WithChecksum({0x1D, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09}),
    WithChecksum({0x1E, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00, 0x11, 0x22}),
    {0x1F, 0x0C, 0x90, 0xD0, 0xCB, 0xC6, 0xAD, 0xB4, 0xC4, 0x0C, 0,    0,
     0,    0,    0,    0,    0,    0x40, 0x32, 0x03, 0x78, 0x05, 0x49, 0x78},
    WithChecksum({0x22, 0x07, 0x07, 0x00, 0x00, 0x80, 0x00, 0x00, 0x01, 0xF0}),
};
const std::string kLines =
    "Spacecraft FM-12 137.5000MHz frame 03\n"
    "Message (pt. 2 of 2) EFCDA B8967 45230 00001\n"
    "Uplink channels 148.0025MHz 148.0050MHz \n"
    "Downlink channels (pt 1 of 1) 137.1625MHz 137.4000MHz \n"
    "Network Control 010203040506070809\n"
    "Fill packet AABBCCDDEEFF001122\n"
    "Ephemeris  FM-12 wk. 1400, Tue, 10:11:12 pos. 45.000173 36.869898\n"
    "Elements   FM-07 Ma 180.00001073\xC2\xB0 Mm  14.06272988/day \n";

class Tools : public ToolRun {
 protected:
  int Decode(const std::string& args) { return Shell("vantrel-decode " + args); }

  std::string Wav(const std::string& name, const std::vector<std::uint8_t>& audio,
                  const WavFormat& format = {}) {
    EXPECT_TRUE(WriteWav((dir_ / name).string(), audio, format));
    return name;
  }
  static std::vector<std::uint8_t> Audio(bool inverted, int leadIn, std::uint32_t seed) {
    return SynthesizePackets(kPackets, {.noise = 6.0,
                                        .inverted = inverted,
                                        .leadInSamples = leadIn,
                                        .idleBits = 40,
                                        .seed = seed});
  }
};

TEST_F(Tools, DecodesExactLinesAtEitherPolarityAndFromEveryInputKind) {
  const std::string inverted = Wav("inverted.wav", Audio(true, 333, 12));
  // 16-bit raw discriminator audio, half a sample at the end dropped.
  std::ofstream wide(dir_ / "audio.s16", std::ios::binary);
  for (std::uint8_t v : Audio(false, 333, 14)) wide.put('\0').put(static_cast<char>(v - 128));
  wide.put('\x01');
  wide.close();

  const std::string withFill = "--filter b1E=1 --start-time 2007-05-12T10:11:12Z ";
  const std::pair<std::string, std::string> rows[] = {
      // GNU order: options before and after the input alike.
      {"--polarity inverted " + inverted + " --filter b1E=1 --start-time=2007-05-12T10:11:12Z",
       kLines},
      {withFill + "--polarity upright --raw-input --raw-format s16le audio.s16", kLines},
      // Auto, the default, starts inverted and flips after two quiet seconds.
      {withFill + Wav("late.wav", Audio(false, 120000, 13)), kLines},
      // 16-bit stereo: only the first channel is read; sync lines filtered out.
      {"--polarity upright --filter b1E=1,b65=0 " +
           Wav("stereo.wav", Audio(false, 5000, 4), {.channels = 2, .sixteenBit = true}),
       kLines.substr(kLines.find('\n') + 1)},
  };
  for (const auto& [args, expected] : rows) {
    EXPECT_EQ(Decode(args), 0) << args;
    EXPECT_EQ(out_, expected) << args;
    EXPECT_EQ(err_, "") << args;
  }
}

TEST_F(Tools, UnusableInputIsOneLineAndStatusTwo) {
  Wav("cd.wav", Audio(false, 0, 1), {.sampleRate = 44100});
  std::ofstream(dir_ / "notes.wav") << "these are notes, not audio\n";
  Wav("quiet.wav", std::vector<std::uint8_t>(4800, 128));
  ASSERT_EQ(::mkfifo((dir_ / "fifo.tle").c_str(), 0600), 0);
  const std::pair<std::string, std::string> rows[] = {
      {"cd.wav", "cd.wav: sample rate is 44100 Hz, 48000 Hz needed\n"},
      {"notes.wav", "notes.wav: not a readable audio file (format not recognised)\n"},
      {"missing.wav", "missing.wav: cannot open"},
      {"--polarity sideways x.wav", "Bad --polarity 'sideways'"},
      {"--filter b1A=1,b99=1 x.wav", "Bad --filter 'b99=1'"},
      {"x.wav --polarity", "Option '--polarity' needs a value"},
      {"--table -- --table", "--table: cannot open"},  // "--" ends the options
      {"x.wav --colour red", "Unknown option '--colour'"},
      {"--table -x.wav", "Unknown option '-x'"},  // not the option before it
      {"--iq x --iq-rate 1e6 --center-freq 0", "Bad --center-freq '0'"},
      {"--mqtt '[::1:1883' --station s x.wav", "Bad --mqtt '[::1:1883'"},
      {"--raw x.wav", "--raw needs --log-dir"},
      {"--chart nowhere/x.png quiet.wav", "Cannot write chart nowhere/x.png"},
      {"--chart c.png --tle fifo.tle quiet.wav", "fifo.tle: not a regular file"},  // not waited on
      {"-", "Standard input can only be read as raw samples"},
      // Feed settings that cannot work are refused before sending (which: tests/core).
      {"--mqtt h x.wav", "Network feed: a station name is needed\n"},
      {"", "No input file given"},
      {"a.wav b.wav", "More than one input file given"},
      {"--ppm 1 x.wav", "--ppm needs --iq or --device\n"},
      {"--list-devices --device driver", "Bad device arguments 'driver'"},
  };
  for (const auto& [args, errStart] : rows) {
    EXPECT_EQ(Decode(args), 2) << args;
    EXPECT_EQ(out_, "") << args;
    EXPECT_EQ(err_.rfind("vantrel-decode: " + errStart, 0), 0u) << err_;
    EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << err_;
  }
}

TEST_F(Tools, VersionAndBracketedIpv6Broker) {
  EXPECT_EQ(Decode("x.wav --version"), 0);
  EXPECT_EQ(out_, "vantrel-decode " VANTREL_VERSION "\n");
  // The brackets are not part of the host name given to the resolver.
  const std::string quiet = Wav("q.wav", std::vector<std::uint8_t>(4800, 128));
  EXPECT_EQ(Decode("--mqtt [::1]:1 --station s " + quiet), 1);
  EXPECT_EQ(err_.rfind("vantrel-decode: Network feed: cannot reach ::1:1 (", 0), 0u) << err_;
  EXPECT_EQ(err_.find("ookup"), std::string::npos) << err_;
}

TEST_F(Tools, LogFilesAreByteExactAndFollowTheAudioClock) {
  // Sync found in second 1 (23:59:59), uplink in second 2 (00:00:00 next day).
  auto audio = SynthesizePackets({kPackets[0]}, {.noise = 6, .leadInSamples = 4800});
  audio.resize(72000, 128);
  const Packet badSyncWord = WithChecksum({0x65, 0xA8, 0xF8, 0x0C, 0x00, 0xC8, 0x30, 0, 0, 0});
  const Packet other = WithChecksum({0x0A, 0x48, 0xB9, 0x95, 0x24, 0xC2, 0x21, 0xA3, 0x00, 0x12});
  const auto second = SynthesizePackets({kPackets[2], other, badSyncWord}, {});
  audio.insert(audio.end(), second.begin(), second.end());
  const fs::path logs = dir_ / "logs";
  fs::create_directory(logs);
  std::ofstream(logs / "orbcomm070512.log", std::ios::binary) << "earlier\r\n";
  const std::string wav = Wav("log.wav", audio);

  EXPECT_EQ(Decode("--json --polarity upright --start-time 2007-05-12T23:59:57Z --log-dir logs "
                   "--raw " +
                   wav),
            0);
  EXPECT_EQ(ReadFile(logs / "orbcomm070512.log"),
            "earlier\r\nSpacecraft FM-12 137.5000MHz frame 03[07-05-12 23:59:59]\r\n");
  EXPECT_EQ(ReadFile(logs / "orbcomm_raw070512.log"),
            "\r\n65 A8 F9 0C 00 C8 30 00 00 00 58 9E  [07-05-12 23:59:59]\r\n");
  EXPECT_EQ(ReadFile(logs / "orbcomm070513.log"),
            "Uplink channels 148.0025MHz 148.0050MHz [07-05-13 00:00:00]\r\n"
            "Packet 0x0A  0A 48 B9 95 24 C2 21 A3 00 12[07-05-13 00:00:00]\r\n");
  EXPECT_EQ(ReadFile(logs / "orbcomm_raw070513.log"),
            "1B 00 00 01 02 00 05 06 07 00 7B 55  [07-05-13 00:00:00]\r\n"
            "0A 48 B9 95 24 C2 21 A3 00 12 BC E8  [07-05-13 00:00:00]\r\n"
            "65 A8 F8 0C 00 C8 30 00 00 00 61 96  [07-05-13 00:00:00]\r\n");  // no paragraph
  // The JSON object of a type outside the eight holds its type byte.
  std::istringstream objects(out_);
  std::string object;
  while (std::getline(objects, object) && object.find("\"other\"") == std::string::npos) {
  }
  EXPECT_EQ(nlohmann::json::parse(object)["type_byte"], 0x0A) << out_;
}

// --chart as from cron (no runtime folder): silently a 481-pixel PNG that
// shows the satellite the recording decoded, unlike a quiet one as long.
TEST_F(Tools, ChartIsAPngShowingTheDecodedSatellite) {
  const auto heard = SynthesizePackets({EphemerisPacket(12, 45.0, 36.87, 800.0, 1400, 0)},
                                       {.leadInSamples = 2000, .idleBits = 40});
  const auto chart = [&](const std::string& name, const std::vector<std::uint8_t>& audio) {
    EXPECT_EQ(Shell("env -u XDG_RUNTIME_DIR vantrel-decode --polarity upright --start-time "
                    "2007-03-21T12:00:00Z --home 45,30 --chart " +
                    name + ".png " + Wav(name + ".wav", audio)),
              0);
    EXPECT_EQ(err_, "");
    return ReadFile(dir_ / (name + ".png"));
  };
  const std::string png = chart("heard", heard);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x01\xE1\0\0\x01\xE1", 8));  // width, height
  EXPECT_NE(chart("quiet", std::vector<std::uint8_t>(heard.size(), 128)), png);
}

// Each packet's object holds its line and the values the line was built from;
// a line filtered out (network control here) or never made is null.
TEST_F(Tools, JsonObjectsFollowTheLinesPacketForPacket) {
  using nlohmann::json;
  std::vector<Packet> packets = kPackets;
  packets.push_back(
      WithChecksum({0x65, 0xA8, 0xF8, 0x0C, 0x00, 0xC8, 0x30, 0, 0, 0}));  // bad sync word
  const std::string wav = Wav(
      "all.wav", SynthesizePackets(packets, {.noise = 6.0, .leadInSamples = 333, .idleBits = 40}));
  const std::string common =
      "--filter b1E=1,b1D=0 --start-time 2007-05-12T10:11:12Z --polarity upright " + wav;
  ASSERT_EQ(Decode(common), 0);
  std::istringstream lines(out_);
  ASSERT_EQ(Decode("--json --table " + common), 0) << err_;

  // Schema: the common members and exactly this type's fields, as numbers (to 1e-6).
  const json fields[] = {
      {{"type", "sync"}, {"satellite", 12}, {"frequency_hz", 137500000}, {"frame", 3}},
      {{"type", "message"}, {"part", 2}, {"parts", 2}, {"words", {0xEFCDA, 0xB8967, 0x45230, 1}}},
      {{"type", "uplink"}, {"frequencies_hz", {148002500, 148005000}}},
      {{"type", "downlink"}, {"part", 1}, {"parts", 1}, {"frequencies_hz", {137162500, 137400000}}},
      {{"type", "network"}},
      {{"type", "fill"}},
      {{"type", "ephemeris"},
       {"satellite", 12},
       {"latitude", 45.000173},
       {"longitude", 36.869898},
       {"week", 1400},
       {"seconds_of_week", 209472}},
      {{"type", "elements"},
       {"satellite", 7},
       {"mean_anomaly_deg", 180.000011},
       {"mean_motion_rev_per_day", 14.06273}},
      {{"type", "unknown-sync"}},
  };
  std::istringstream objects(out_);
  std::string object, line;
  for (std::size_t i = 0; i < packets.size(); ++i) {
    ASSERT_TRUE(std::getline(objects, object));
    const json o = json::parse(object);
    const bool hasLine = i != 4 && i + 1 < packets.size();
    if (hasLine) std::getline(lines, line);
    EXPECT_EQ(o["line"], hasLine ? json(line) : json(nullptr)) << object;
    std::string hex;
    for (std::uint8_t b : packets[i])
      hex += "0123456789ABCDEF"[b >> 4], hex += "0123456789ABCDEF"[b & 15];
    EXPECT_EQ(o["hex"], hex);
    EXPECT_TRUE(o["time"].get<std::string>().starts_with("2007-05-12T10:11:1")) << object;
    EXPECT_EQ(o["demod"],
              json({{"demodulator", "classic"}, {"polarity", "upright"}, {"corrected_bits", 0}}));
    json fieldsOnly = o;
    for (const char* common : {"line", "hex", "time", "demod"}) fieldsOnly.erase(common);
    for (auto& value : fieldsOnly)
      if (value.is_number_float()) value = std::round(value.get<double>() * 1e6) / 1e6;
    EXPECT_EQ(fieldsOnly, fields[i]);
  }
  ASSERT_TRUE(std::getline(objects, object));
  const json table = json::parse(object)["satellites"];
  EXPECT_EQ(table.size(), 36u);
  EXPECT_EQ(table[11]["frequency_hz"], 137500000);
  EXPECT_EQ(table[0], json({{"satellite", 1}}));  // unheard: the number alone
  EXPECT_FALSE(std::getline(objects, object));
}

// The real 2019 pass as audio: the sensitive demodulator finds nearly all
// the packets another decoder found in its band (tests/core checks the band
// one by one), and nothing else.
TEST_F(Tools, RealPass2019AudioGivesTheKnownPacketsOnly) {
  const fs::path data = fs::path(std::getenv("VANTREL_SOURCE_DIR")) / "recordings";
  std::istringstream list(ReadFile(data / "pass-2019.packets"));
  const std::vector<std::string> known{std::istream_iterator<std::string>(list), {}};
  ASSERT_EQ(Decode("--json --demodulator sensitive " + (data / "pass-2019-48k.wav").string()), 0)
      << err_;
  std::istringstream lines(out_);
  std::size_t fromAudio = 0;
  for (std::string line; std::getline(lines, line); ++fromAudio) {
    const std::string hex = nlohmann::json::parse(line)["hex"];
    EXPECT_NE(std::ranges::find(known, hex), known.end()) << line;
  }
  EXPECT_GE(fromAudio, 90u);
}

// Standard input: raw samples from vantrel-synth's packet list (an IQ band
// from standard input is the frequency correction's below).
TEST_F(Tools, StandardInputTakesRawSamplesFromTheSynthesizer) {
  std::ofstream(dir_ / "packets.txt") << "# check bytes given, then left to the tool\n"
                                         "65 A8 F9 0C 00 C8 30 00 00 00 58 9E\n"
                                         "pause 0.3\n"
                                         "ephemeris 9 -34.50 139.00 775 2000 169205\n"
                                         "1D 01 02 03 04 05 06 07 08 09\n";
  EXPECT_EQ(Shell("vantrel-synth --raw --noise 5 --idle-bits 3 packets.txt - | "
                  "vantrel-decode --raw-input --polarity upright -"),
            0);
  // The decoder's formula gives nearly the geocentric latitude: 0.16 degrees off the one given.
  EXPECT_EQ(out_,
            "Spacecraft FM-12 137.5000MHz frame 03\n"
            "Ephemeris  FM-09 wk. 2000, Mon, 23:00:05 pos. -34.340253 139.000006\n"
            "Network Control 010203040506070809\n");
}

// The test SoapySDR module's receiver plays the real band recording and
// acts unplugged at its end.
TEST_F(Tools, SdrReceiversAreListedChosenAndDecodedLive) {
  const std::string recording = "\"$VANTREL_SOURCE_DIR/recordings/pass-21cma-9600.cf32\"";
  const std::string env =
      "SOAPY_SDR_PLUGIN_PATH=\"$VANTREL_BIN_DIR/../soapy-modules\" "
      "VANTREL_TEST_IQ_FILE=" +
      recording + " ";
  ASSERT_EQ(Shell(env + "vantrel-decode --list-devices"), 0) << err_;
  EXPECT_NE(
      out_.find("SDR Test IQ player: driver=vantreltest,label=Test IQ player,serial=vt0001\n"),
      std::string::npos)
      << out_;
  ASSERT_EQ(
      Shell(env + "vantrel-decode --list-devices --device 'driver=vantreltest, serial=vt0002'"), 0);
  EXPECT_EQ(out_, "");
  EXPECT_EQ(Shell(env + "vantrel-decode --device serial=vt0002"), 2);
  EXPECT_EQ(err_, "vantrel-decode: No SDR receiver matches 'serial=vt0002'\n");

  EXPECT_EQ(Shell(env + "vantrel-decode --device driver=vantreltest,serial=vt0001 --iq-rate 9600 "
                        "--filter b1E=1"),
            2);
  EXPECT_EQ(out_.rfind("Fill packet B3489015957F14F39C\n", 0), 0u) << out_;
  EXPECT_EQ(err_.rfind("vantrel-decode: The SDR receiver failed: ", 0), 0u) << err_;

  // A receiver running 100 ppm fast names carriers 13750 Hz low at 137.5 MHz
  // (the band read from standard input).
  const auto firstCarrier = [&](const std::string& ppm) {
    EXPECT_EQ(Shell("cat " + recording + " | vantrel-decode --json --iq - --iq-format cf32 " +
                    "--iq-rate 9600 --center-freq 137.5e6 " + ppm),
              0)
        << err_;
    return nlohmann::json::parse(out_.substr(0, out_.find('\n')))["demod"]["carrier_hz"]
        .get<double>();
  };
  EXPECT_NEAR(firstCarrier("--ppm 100") - firstCarrier(""), 13750.0, 0.01);
}

}  // namespace
}  // namespace vantrel::test
