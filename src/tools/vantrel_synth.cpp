// vantrel-synth: renders a list of downlink packets as discriminator audio
// (8-bit unsigned, 48000 Hz, mono), for demos and for trying the decoder
// without a receiver.
#include <getopt.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>
#include <numbers>
#include <sstream>

#include "audio/recording_file.h"
#include "synth/band_synth.h"
#include "synth/baseband_synth.h"
#include "synth/noise_source.h"
#include "synth/packet_builder.h"
#include "synth/signal_synth.h"

namespace {

using vantrel::synth::Packet;

constexpr int kExit = 2;

const char* const kUsage =
    "Usage: vantrel-synth [OPTION]... SCRIPT OUTPUT\n"
    "Renders the packets listed in SCRIPT as a receiver's discriminator audio and\n"
    "writes OUTPUT as a WAV file (8-bit unsigned, 48000 Hz, mono), or with --raw as\n"
    "raw unsigned 8-bit samples ('-' for standard output).\n"
    "\n"
    "SCRIPT lines ('#' starts a comment):\n"
    "  65 A8 F9 0C 00 C8 30 00 00 00   packet bytes in hexadecimal; 10 or 22 bytes get\n"
    "                                  their two check bytes added, 12 or 24 are kept\n"
    "  ephemeris FM LAT LON ALT WEEK SEC\n"
    "                                  ephemeris packet of satellite FM at LAT, LON\n"
    "                                  (degrees) and ALT km, GPS week and second\n"
    "  pause SECONDS                   idle carrier (mid level and noise)\n"
    "\n"
    "Options:\n"
    "  --amplitude A    peak pulse height in sample units (default 60)\n"
    "  --noise S        standard deviation of Gaussian noise (default 0)\n"
    "  --inverted       flip the discriminator polarity\n"
    "  --idle-bits N    idle bits after every packet (default 0)\n"
    "  --length SECONDS pad the end with idle carrier up to this length\n"
    "  --seed N         noise seed (default 1)\n"
    "  --clock-ppm P    sound-card clock error: bits last 10 * (1 + P / 1e6) samples\n"
    "  --dc D           receiver off tune: add D sample units to every sample\n"
    "  --pulse-width W  each bit's frequency pulse W samples wide (default 7; a\n"
    "                   receiver with a wider filter gives narrower pulses, e.g. 5)\n"
    "  --mix FILE.wav   instead of a SCRIPT: add --noise to this recording (then only\n"
    "                   OUTPUT is given)\n"
    "  --band           instead of a SCRIPT: OUTPUT gets an SDR band of four satellites\n"
    "                   (cu8 IQ at 1228800 samples/s around 137.5 MHz, Eb/N0 10 to\n"
    "                   16 dB, each with its own Doppler offset and drift; its sync\n"
    "                   packets name its channel, its ephemeris packets place it\n"
    "                   near the default home), --length seconds long (default 20)\n"
    "\n"
    "Receiver chain (any of these renders the packets as complex baseband, band-\n"
    "limited to +-5 kHz, then FM-discriminates it; --amplitude and --noise are unused):\n"
    "  --ebn0 DB        Gaussian noise at this Eb/N0 (default: none)\n"
    "  --carrier HZ     carrier offset at the start (default 0)\n"
    "  --drift HZ/S     carrier drift (default 0)\n"
    "  --deviation U    discriminator output in sample units per radian (default 120)\n"
    "  --raw            write raw samples instead of WAV\n"
    "  --rrc            linear modulation through a root-raised-cosine filter (roll-off\n"
    "                   0.4), as the satellites send it, instead of a phase ramp\n"
    "  --iq RATE        write the complex baseband itself, RATE samples/s, as cf32 IQ\n"
    "                   (interleaved 32-bit floats), as an SDR records it: the whole\n"
    "                   signal wherever its carrier lies, no receiver band limit\n"
    "  --mix FILE.cf32  with --iq RATE: move this recording (RATE samples/s) by\n"
    "                   --carrier and --drift and add noise --snr DB below its power\n"
    "  -h, --help       show this help\n";

int Fail(const std::string& message) {
  std::cerr << "vantrel-synth: " << message << '\n';
  return kExit;
}

struct Segment {
  std::vector<Packet> packets;  // a run of packets, or
  int pauseSamples = 0;         // an idle stretch
};

bool ReadScript(const std::string& path, std::vector<Segment>* segments, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot open";
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string first;
    if (!(words >> first)) continue;
    const std::string where = path + ":" + std::to_string(number) + ": ";
    if (first == "pause") {
      double seconds = 0;
      if (!(words >> seconds) || seconds < 0) return *error = where + "pause needs seconds", false;
      segments->push_back({{}, static_cast<int>(seconds * vantrel::synth::kSampleRate)});
      continue;
    }
    Packet packet;
    if (first == "ephemeris") {
      int fm = 0, week = 0, sec = 0;
      double lat = 0, lon = 0, alt = 0;
      if (!(words >> fm >> lat >> lon >> alt >> week >> sec)) {
        return *error = where + "ephemeris needs FM LAT LON ALT WEEK SEC", false;
      }
      packet = vantrel::synth::EphemerisPacket(fm, lat, lon, alt, week, sec);
    } else {
      words.clear();
      words.str(line);
      std::string hex;
      while (words >> hex) {
        char* end = nullptr;
        const unsigned long byte = std::strtoul(hex.c_str(), &end, 16);
        if (*end != '\0' || hex.size() > 2) return *error = where + "bad byte '" + hex + "'", false;
        packet.push_back(static_cast<std::uint8_t>(byte));
      }
      if (packet.size() == 10 || packet.size() == 22) {
        packet = vantrel::synth::WithChecksum(packet);
      } else if (packet.size() != 12 && packet.size() != 24) {
        return *error = where + "a packet has 10, 12, 22 or 24 bytes", false;
      }
    }
    if (segments->empty() || segments->back().pauseSamples > 0) segments->push_back({});
    segments->back().packets.push_back(packet);
  }
  return true;
}

constexpr double kBandCentreHz = 137.5e6;

// One demo downlink's packets: its sync packets name its own channel, and
// every twentieth packet, half-way between them, is an ephemeris packet
// placing it near the default home, moving 0.06 degrees a second as a low
// orbit does.
std::vector<vantrel::synth::Packet> BandPackets(int fm, double channelHz, double latitude,
                                                double longitude, int count, std::uint32_t seed) {
  namespace synth = vantrel::synth;
  auto packets = synth::DownlinkPackets(fm, count, seed);
  // 137 MHz plus 2500 Hz a code; codes above 255 wrap to 0..64.
  const auto code = static_cast<unsigned>(std::lround((kBandCentreHz + channelHz - 137e6) / 2500));
  for (int i = 0; i < count; ++i) {
    auto& packet = packets[static_cast<std::size_t>(i)];
    const double seconds = i / 50.0;  // 96 bits at 4800 bit/s
    if (i % 20 == 0) {
      packet[5] = static_cast<std::uint8_t>(code > 255 ? code - 256 : code);
      packet = synth::WithChecksum({packet.begin(), packet.begin() + 10});
    } else if (i % 20 == 10) {
      packet = synth::EphemerisPacket(fm, latitude - 0.06 * seconds, longitude + 0.01 * seconds,
                                      780, 2300, 345600 + static_cast<int>(seconds));
    }
  }
  return packets;
}

// A demo band as an SDR tuned to 137.5 MHz would hand it over.
int WriteBand(const std::string& out, double seconds, std::uint32_t seed) {
  namespace synth = vantrel::synth;
  const struct {
    double channelHz, dopplerHz, drift, ebN0;
    int fm;
    double latitude, longitude;
  } downlinks[] = {{-212500, 2400, -25, 16, 36, -22.0, 131.0},
                   {-62500, -1800, -40, 12, 27, -31.0, 150.0},
                   {237500, 900, -55, 10, 30, -42.0, 128.0},
                   {300000, -3100, -10, 14, 32, -47.5, 143.5}};
  std::vector<synth::BandSatellite> satellites;
  for (const auto& d : downlinks) {
    satellites.push_back({.channelHz = d.channelHz,
                          .dopplerHz = d.dopplerHz,
                          .driftHzPerSecond = d.drift,
                          .ebN0Db = d.ebN0,
                          .leadInBits = d.fm * 7,
                          .packets = BandPackets(d.fm, d.channelHz, d.latitude, d.longitude,
                                                 static_cast<int>(seconds * 50), seed++)});
  }
  const auto band = synth::SynthesizeBand(
      satellites, {.sampleRate = 1228800.0, .seconds = seconds, .seed = seed});
  const auto bytes = synth::EncodeIq(band, vantrel::sdr::IqFormat::Cu8);
  std::ofstream file(out, std::ios::binary);
  if (!file.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size())))
    return Fail(out + ": write failed");
  return 0;
}

bool ReadCf32(const std::string& path, std::vector<std::complex<float>>* iq, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return *error = path + ": cannot open", false;
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  std::vector<vantrel::sdr::Complex> samples;
  vantrel::sdr::IqConverter(vantrel::sdr::IqFormat::Cf32)
      .Convert(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), &samples);
  if (samples.empty()) return *error = path + ": no cf32 samples", false;
  iq->assign(samples.begin(), samples.end());
  return true;
}

// Moves a recording by the chain's carrier offset and drift and adds
// complex Gaussian noise snrDb below the recording's mean power.
void MoveAndAddNoise(std::vector<std::complex<float>>* iq, double rate,
                     const vantrel::synth::BasebandOptions& chain, double snrDb,
                     std::uint32_t seed) {
  double power = 0.0;
  for (const auto& x : *iq) power += std::norm(x);
  power /= static_cast<double>(iq->size());
  const double sigma = std::isfinite(snrDb) ? std::sqrt(power / std::pow(10.0, snrDb / 10) / 2) : 0;
  vantrel::synth::NoiseSource noise(sigma, seed);
  double phase = 0.0;
  for (std::size_t n = 0; n < iq->size(); ++n) {
    const double hz = chain.carrierHz + chain.driftHzPerSecond * static_cast<double>(n) / rate;
    (*iq)[n] =
        (*iq)[n] * std::complex<float>(std::polar(1.0, phase)) +
        std::complex<float>(static_cast<float>(noise.Next()), static_cast<float>(noise.Next()));
    phase = std::remainder(phase + 2 * std::numbers::pi * hz / rate, 2 * std::numbers::pi);
  }
}

// The script's packets and pauses (unmodulated carrier) as complex baseband.
std::vector<std::complex<float>> RenderIq(const std::vector<Segment>& segments,
                                          vantrel::synth::BasebandOptions chain, double rate,
                                          const vantrel::synth::SynthOptions& options) {
  std::vector<std::complex<float>> iq;
  std::uint32_t seed = options.seed;
  for (const Segment& segment : segments) {
    auto o = chain;
    o.sampleRate = rate;
    o.bandLimitHz = 0.0;
    o.seed = seed++;
    o.idleBits = options.idleBits;
    o.inverted = options.inverted;
    o.carrierHz += chain.driftHzPerSecond * static_cast<double>(iq.size()) / rate;
    o.leadInBits = segment.pauseSamples / vantrel::synth::kSamplesPerBitSynth;
    const auto part = vantrel::synth::ModulateBaseband(segment.packets, o);
    iq.insert(iq.end(), part.begin(), part.end());
  }
  return iq;
}

}  // namespace

int main(int argc, char** argv) {
  vantrel::synth::SynthOptions options;
  double length = 0;
  bool raw = false;
  static const option kLong[] = {{"amplitude", required_argument, nullptr, 'a'},
                                 {"noise", required_argument, nullptr, 'n'},
                                 {"inverted", no_argument, nullptr, 'i'},
                                 {"idle-bits", required_argument, nullptr, 'b'},
                                 {"length", required_argument, nullptr, 'l'},
                                 {"seed", required_argument, nullptr, 's'},
                                 {"raw", no_argument, nullptr, 'r'},
                                 {"help", no_argument, nullptr, 'h'},
                                 {"clock-ppm", required_argument, nullptr, 'p'},
                                 {"dc", required_argument, nullptr, 'd'},
                                 {"ebn0", required_argument, nullptr, 'e'},
                                 {"carrier", required_argument, nullptr, 'c'},
                                 {"drift", required_argument, nullptr, 'f'},
                                 {"deviation", required_argument, nullptr, 'v'},
                                 {"mix", required_argument, nullptr, 'm'},
                                 {"band", no_argument, nullptr, 'B'},
                                 {"rrc", no_argument, nullptr, 'R'},
                                 {"pulse-width", required_argument, nullptr, 'W'},
                                 {"iq", required_argument, nullptr, 'q'},
                                 {"snr", required_argument, nullptr, 'S'},
                                 {nullptr, 0, nullptr, 0}};
  vantrel::synth::BasebandOptions chain;
  bool receiverChain = false;
  double deviation = 120.0;
  std::string mix;
  bool band = false;
  double iqRate = 0.0;
  double snrDb = std::numeric_limits<double>::infinity();
  opterr = 0;
  for (int c; (c = getopt_long(argc, argv, ":h", kLong, nullptr)) != -1;) {
    switch (c) {
      case 'a':
        options.amplitude = std::atof(optarg);
        break;
      case 'n':
        options.noise = std::atof(optarg);
        break;
      case 'i':
        options.inverted = true;
        break;
      case 'b':
        options.idleBits = std::atoi(optarg);
        break;
      case 'l':
        length = std::atof(optarg);
        break;
      case 's':
        options.seed = static_cast<std::uint32_t>(std::strtoul(optarg, nullptr, 10));
        break;
      case 'r':
        raw = true;
        break;
      case 'p':
        options.clockPpm = chain.clockPpm = std::atof(optarg);
        break;
      case 'd':
        options.dcOffset = std::atof(optarg);
        break;
      case 'e':
        chain.ebN0Db = std::atof(optarg);
        receiverChain = true;
        break;
      case 'c':
        chain.carrierHz = std::atof(optarg);
        receiverChain = true;
        break;
      case 'f':
        chain.driftHzPerSecond = std::atof(optarg);
        receiverChain = true;
        break;
      case 'm':
        mix = optarg;
        break;
      case 'B':
        band = true;
        break;
      case 'W':
        options.pulseWidth = std::atof(optarg);
        if (options.pulseWidth < 2.0 || options.pulseWidth > 10.0)
          return Fail(std::string("Bad --pulse-width '") + optarg + "': use 2 to 10 samples");
        break;
      case 'R':
        chain.shape = vantrel::synth::PulseShape::RootRaisedCosine;
        receiverChain = true;
        break;
      case 'q':
        iqRate = std::atof(optarg);
        if (iqRate < 1000.0)
          return Fail(std::string("Bad --iq '") + optarg +
                      "': use 1000 samples per second or more");
        break;
      case 'S':
        snrDb = std::atof(optarg);
        break;
      case 'v':
        deviation = std::atof(optarg);
        receiverChain = true;
        break;
      case 'h':
        std::cout << kUsage;
        return 0;
      case ':':
        return Fail(std::string("Option '") + argv[optind - 1] + "' needs a value; see --help");
      default:  // a short one ('-x' of '-x.wav') leaves optind on its own argument
        return Fail("Unknown option '" +
                    (optopt > 0 && optopt < 256 ? std::string("-") + static_cast<char>(optopt)
                                                : std::string(argv[optind - 1])) +
                    "'; see --help");
    }
  }
  if (band) {
    if (argc - optind != 1) return Fail("--band needs only OUTPUT; see --help");
    return WriteBand(argv[optind], length > 0 ? length : 20.0, options.seed);
  }
  if (iqRate > 0.0) {
    if (argc - optind != (mix.empty() ? 2 : 1))
      return Fail("SCRIPT and OUTPUT are needed; see --help");
    const std::string out = argv[argc - 1];
    std::vector<std::complex<float>> iq;
    std::string error;
    if (!mix.empty()) {
      if (!ReadCf32(mix, &iq, &error)) return Fail(error);
      MoveAndAddNoise(&iq, iqRate, chain, snrDb, options.seed);
    } else {
      std::vector<Segment> segments;
      if (!ReadScript(argv[optind], &segments, &error)) return Fail(error);
      iq = RenderIq(segments, chain, iqRate, options);
    }
    const auto bytes = vantrel::synth::EncodeIq(iq, vantrel::sdr::IqFormat::Cf32);
    std::ofstream file(out, std::ios::binary);
    if (!file.write(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<std::streamsize>(bytes.size())))
      return Fail(out + ": write failed");
    return 0;
  }
  std::vector<Segment> segments;
  std::string error;
  std::vector<std::uint8_t> audio;
  if (!mix.empty()) {
    if (argc - optind != 1) return Fail("--mix needs only OUTPUT; see --help");
    if (!vantrel::LoadRecording(mix, &audio, &error)) return Fail(error);
    const auto noise = vantrel::synth::SynthesizeNoise(static_cast<int>(audio.size()),
                                                       options.noise, options.seed);
    for (std::size_t i = 0; i < audio.size(); ++i) {
      audio[i] = static_cast<std::uint8_t>(std::clamp(audio[i] + noise[i] - 128, 0, 255));
    }
    --optind;  // OUTPUT stands where it would after a SCRIPT
  } else {
    if (argc - optind != 2) return Fail("SCRIPT and OUTPUT are needed; see --help");
    if (!ReadScript(argv[optind], &segments, &error)) return Fail(error);
  }

  std::uint32_t seed = options.seed;
  for (const Segment& segment : segments) {
    if (receiverChain) {
      // The carrier drifts on through the whole rendering; a pause is
      // unmodulated carrier.
      auto o = chain;
      o.sampleRate = vantrel::synth::kSampleRate;
      o.seed = seed++;
      o.idleBits = options.idleBits;
      o.carrierHz += chain.driftHzPerSecond * static_cast<double>(audio.size()) / o.sampleRate;
      o.leadInBits = segment.pauseSamples / vantrel::synth::kSamplesPerBitSynth;
      const auto part = vantrel::synth::DiscriminatorAudio(
          vantrel::synth::ModulateBaseband(segment.packets, o), deviation);
      audio.insert(audio.end(), part.begin(), part.end());
      continue;
    }
    // Every segment gets its own noise, drawn from the seed in order.
    const auto part =
        segment.pauseSamples > 0
            ? vantrel::synth::SynthesizeNoise(segment.pauseSamples, options.noise, seed)
            : vantrel::synth::SynthesizePackets(segment.packets, [&] {
                auto o = options;
                o.seed = seed;
                return o;
              }());
    audio.insert(audio.end(), part.begin(), part.end());
    ++seed;
  }
  const auto target = static_cast<std::size_t>(length * vantrel::synth::kSampleRate);
  if (audio.size() < target) {
    const auto pad = vantrel::synth::SynthesizeNoise(static_cast<int>(target - audio.size()),
                                                     options.noise, seed);
    audio.insert(audio.end(), pad.begin(), pad.end());
  }

  const std::string out = argv[optind + 1];
  if (raw) {
    std::FILE* file = out == "-" ? stdout : std::fopen(out.c_str(), "wb");
    if (file == nullptr) return Fail(out + ": cannot write");
    const bool ok = std::fwrite(audio.data(), 1, audio.size(), file) == audio.size();
    if (file != stdout ? std::fclose(file) != 0 || !ok : std::fflush(file) != 0 || !ok) {
      return Fail(out + ": write failed");
    }
    return 0;
  }
  if (!vantrel::synth::WriteWav(out, audio, {}, &error)) return Fail(out + ": " + error);
  return 0;
}
