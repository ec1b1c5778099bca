// Acquisition of a single downlink in narrow IQ (9600 samples/s, "one
// downlink already tuned in"), as figures:
//  1. a real recording (cf32, 9600 samples/s) moved to carrier offsets
//     across the Doppler range, clean and with noise added at a given power
//     relative to the recording's; found = packets of the reference list
//     (hex, one a line) the receiver checked, others = checked packets not in it;
//  2. synthesized downlinks (root-raised-cosine linear modulation) at
//     offsets of +-3.3 kHz, drifting, at an Eb/N0.
//
//   narrow_iq_acquisition RECORDING.cf32 PACKETS [--noise-db -6] [--ebn0 10] [--seeds 2]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "base/packet_types.h"
#include "sdr/sdr_receiver.h"
#include "synth/band_synth.h"
#include "synth/baseband_synth.h"

namespace {

using namespace vantrel;
using Packet = std::vector<std::uint8_t>;

constexpr double kRate = 9600.0;

std::vector<sdr::Complex> LoadCf32(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<sdr::Complex> samples;
  sdr::IqConverter(sdr::IqFormat::Cf32)
      .Convert(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), &samples);
  return samples;
}

std::vector<Packet> LoadPackets(const char* path) {
  std::vector<Packet> packets;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    Packet packet;
    for (std::size_t i = 0; i + 1 < line.size(); i += 2)
      packet.push_back(static_cast<std::uint8_t>(std::stoi(line.substr(i, 2), nullptr, 16)));
    if (!packet.empty()) packets.push_back(packet);
  }
  return packets;
}

// Moves the signal by shiftHz and adds complex Gaussian noise at noiseDb
// relative to its mean power (no noise when noiseDb is NaN).
std::vector<sdr::Complex> Shifted(const std::vector<sdr::Complex>& in, double shiftHz,
                                  double noiseDb, std::uint32_t seed) {
  double power = 0.0;
  for (const auto& x : in) power += std::norm(x);
  power /= static_cast<double>(std::max<std::size_t>(1, in.size()));
  const double sigma =
      std::isnan(noiseDb) ? 0.0 : std::sqrt(power * std::pow(10, noiseDb / 10) / 2);
  std::mt19937 random(seed);
  std::normal_distribution<float> gauss(0.0f, static_cast<float>(sigma));
  std::vector<sdr::Complex> out(in.size());
  for (std::size_t n = 0; n < in.size(); ++n) {
    const double phase = 2 * std::numbers::pi * shiftHz * static_cast<double>(n) / kRate;
    out[n] = in[n] * sdr::Complex(std::polar(1.0, phase)) +
             (sigma > 0 ? sdr::Complex(gauss(random), gauss(random)) : sdr::Complex());
  }
  return out;
}

// Packets of the reference found (each at most as often as listed), and others.
std::pair<int, int> Decode(const std::vector<sdr::Complex>& iq, const std::vector<Packet>& sent) {
  sdr::SdrReceiver receiver(kRate, std::nullopt);
  constexpr std::size_t kPiece = 4800;
  std::vector<sdr::SdrPacket> packets;
  for (std::size_t at = 0; at < iq.size(); at += kPiece) {
    receiver.Push(iq.data() + at, std::min(kPiece, iq.size() - at));
    for (auto& p : receiver.TakePackets()) packets.push_back(p);
  }
  receiver.Finish();
  for (auto& p : receiver.TakePackets()) packets.push_back(p);
  std::map<Packet, int> want;
  for (const Packet& p : sent) ++want[p];
  int found = 0, others = 0;
  for (const auto& p : packets) {
    auto it = want.find(Packet(p.bytes.begin(), p.bytes.begin() + p.length));
    if (it != want.end() && it->second > 0) {
      --it->second;
      ++found;
    } else {
      ++others;
    }
  }
  return {found, others};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: %s RECORDING.cf32 PACKETS [--noise-db DB] [--ebn0 DB] [--seeds N]\n",
                 argv[0]);
    return 2;
  }
  double noiseDb = -6.0, ebN0 = 10.0;
  int seeds = 2;
  for (int i = 3; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--noise-db") == 0) noiseDb = std::atof(argv[i + 1]);
    if (std::strcmp(argv[i], "--ebn0") == 0) ebN0 = std::atof(argv[i + 1]);
    if (std::strcmp(argv[i], "--seeds") == 0) seeds = std::max(1, std::atoi(argv[i + 1]));
  }
  const auto recording = LoadCf32(argv[1]);
  const auto reference = LoadPackets(argv[2]);
  // The finder takes only the packet types it knows; the rest of the list
  // cannot be found.
  const auto known = std::count_if(reference.begin(), reference.end(), [](const Packet& p) {
    return IsPacketType(p[0]) && PacketLength(p[0]) == static_cast<int>(p.size());
  });
  std::printf("Real recording, %zu packets listed, %ld of known types, moved by:\n",
              reference.size(), static_cast<long>(known));
  std::printf("| shift Hz | clean | noise %+.0f dB |\n|---|---|---|\n", noiseDb);
  for (double shift = -5000; shift <= 5000; shift += 500) {
    const auto [found, others] = Decode(Shifted(recording, shift, NAN, 1), reference);
    const auto [noisyFound, noisyOthers] = Decode(Shifted(recording, shift, noiseDb, 7), reference);
    std::printf("| %+.0f | %d (%d others) | %d (%d others) |\n", shift, found, others, noisyFound,
                noisyOthers);
    std::fflush(stdout);
  }

  std::printf("\nSynthesized root-raised-cosine downlinks, Eb/N0 %.1f dB, %d seeds\n", ebN0, seeds);
  std::printf("| offset Hz | drift Hz/s | found |\n|---|---|---|\n");
  const double offsets[] = {-3300, -3300, 3300, 3300, 0};
  const double drifts[] = {100, -100, 100, -100, 100};
  for (int c = 0; c < 5; ++c) {
    int found = 0, others = 0, sent = 0;
    for (int seed = 1; seed <= seeds; ++seed) {
      const auto packets = synth::DownlinkPackets(20 + seed, 200, 40u + seed);
      synth::BasebandOptions o;
      o.sampleRate = kRate;
      o.ebN0Db = ebN0;
      o.carrierHz = offsets[c];
      o.driftHzPerSecond = drifts[c];
      o.shape = synth::PulseShape::RootRaisedCosine;
      o.leadInBits = 300;
      o.inverted = seed % 2 == 0;
      o.bandLimitHz = 0;
      o.seed = 100u + seed;
      const auto [f, x] = Decode(synth::ModulateBaseband(packets, o), packets);
      found += f;
      others += x;
      sent += static_cast<int>(packets.size());
    }
    std::printf("| %+.0f | %+.0f | %.1f %% (%d others) |\n", offsets[c], drifts[c],
                100.0 * found / sent, others);
    std::fflush(stdout);
  }
  return 0;
}
