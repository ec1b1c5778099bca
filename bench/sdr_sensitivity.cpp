// Sensitivity of the SDR band receiver, as a figure: four satellites in one
// cu8 band at 1.2288 Msps (each with its own channel, Doppler, drift, lead-in
// and polarity, 160 packets back to back), for several Eb/N0 and seeds,
// through sdr::SdrReceiver. Prints per satellite the share of its packets
// found, the false packets, and where the misses lie (a satellite's first
// packets, while its channel is still being found, or spread over the rest).
//
//   sdr_sensitivity [--seeds N] [--ebn0 8,10,12,14] [--late SECONDS]
//                   [--packets N] [--realistic] [--list-false]
//
// --late holds back the third satellite's first packet by that long, as a
// satellite rising into view while the others are already being received.
// --realistic makes the band less like our own: root-raised-cosine
// downlinks at Eb/N0 of the level, +5, +2 and +3 dB, slow 4 dB fades, two
// analogue FM signals, a 120 kHz wide digital signal and a strong spur 9 kHz
// beside the second satellite. --list-false prints each false packet: when,
// on which carrier, how many bits were corrected, its bytes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sdr/sdr_receiver.h"
#include "synth/band_synth.h"

namespace {

using namespace vantrel;

constexpr double kRate = 1228800.0;
constexpr int kSatellites = 4;
int kPackets = 160;
bool realistic = false;
bool listFalse = false;
// Misses among a satellite's first kEarly packets count as "early".
constexpr int kEarly = 10;

struct Outcome {
  int found[kSatellites] = {};
  int early[kSatellites] = {};  // misses among the first kEarly packets
  int falsePackets = 0;
};

Outcome RunOnce(double ebN0Db, std::uint32_t seed, double lateSeconds) {
  const double channels[] = {-240000, 95000, -75000, 260000};
  const double doppler[] = {3000, -2500, 1200, -3400};
  const double drift[] = {60, -45, 30, -60};
  const int leadIn[] = {40, 7, 230, 100};
  std::vector<synth::BandSatellite> satellites;
  // Sync packets repeat (their frame number runs through 16 values), so a
  // packet's bytes may have been sent several times: satellite and index of each.
  std::map<synth::Packet, std::vector<std::pair<int, int>>> sender;
  int longestLeadIn = 0;
  for (int s = 0; s < kSatellites; ++s) {
    synth::BandSatellite satellite;
    satellite.channelHz = channels[s];
    satellite.dopplerHz = doppler[s];
    satellite.driftHzPerSecond = drift[s];
    satellite.ebN0Db = ebN0Db;
    if (realistic) {
      const double above[] = {0, 5, 2, 3};
      satellite.ebN0Db += above[s];
      satellite.shape = synth::PulseShape::RootRaisedCosine;
      satellite.fadeDb = 4;
      satellite.fadeSeconds = 7 + 2 * s;
    }
    satellite.inverted = s % 2 == 1;
    satellite.leadInBits = leadIn[s] + (s == 2 ? static_cast<int>(lateSeconds * 4800) : 0);
    longestLeadIn = std::max(longestLeadIn, satellite.leadInBits);
    satellite.packets = synth::DownlinkPackets(10 + s, kPackets, seed * 16 + 7 + s);
    for (int i = 0; i < kPackets; ++i) sender[satellite.packets[i]].emplace_back(s, i);
    satellites.push_back(satellite);
  }
  synth::BandOptions options;
  options.sampleRate = kRate;
  options.seconds = (kPackets * 96 + longestLeadIn + 100) / 4800.0;
  options.seed = seed;
  if (realistic) {
    using Kind = synth::BandInterferer::Kind;
    options.interferers = {{Kind::AnalogFm, 120000, 25},
                           {Kind::AnalogFm, -400000, 20},
                           {Kind::Wide, 400000, 15},
                           {Kind::Spur, 104000, 30}};
  }
  const auto bytes =
      synth::EncodeIq(synth::SynthesizeBand(satellites, options), sdr::IqFormat::Cu8);

  sdr::SdrReceiver receiver(kRate, 137.5e6);
  sdr::IqConverter converter(sdr::IqFormat::Cu8);
  std::vector<sdr::Complex> samples;
  std::vector<bool> seen(kSatellites * kPackets, false);
  Outcome outcome;
  auto tally = [&](const std::vector<sdr::SdrPacket>& packets) {
    for (const auto& p : packets) {
      const auto it = sender.find(synth::Packet(p.bytes.begin(), p.bytes.begin() + p.length));
      if (it == sender.end()) {
        ++outcome.falsePackets;
        if (listFalse) {
          std::printf("  false: %.1f s, carrier %.0f Hz, %d bits corrected, polarity %d:",
                      static_cast<double>(p.sample) / kRate, p.source.carrierHz.value_or(0.0),
                      p.source.correctedBits, p.source.polarity);
          for (int i = 0; i < p.length; ++i) std::printf(" %02X", p.bytes[i]);
          // The packet sent nearest to it, and which of its bits differ.
          int nearest = 1 << 30;
          std::vector<int> differ;
          for (const auto& [sent, where] : sender) {
            if (static_cast<int>(sent.size()) != p.length) continue;
            std::vector<int> bits;
            for (int i = 0; i < p.length * 8; ++i)
              if (((sent[i / 8] ^ p.bytes[i / 8]) >> (i % 8)) & 1) bits.push_back(i);
            if (static_cast<int>(bits.size()) < nearest) {
              nearest = static_cast<int>(bits.size());
              differ = bits;
            }
          }
          std::printf(" (bits");
          for (int b : differ) std::printf(" %d", b);
          std::printf(" off the nearest sent)\n");
        }
        continue;
      }
      // The sending nearest in time to where the packet was found.
      const double bit = static_cast<double>(p.sample) / kRate * 4800.0;
      const auto& [s, i] = *std::min_element(
          it->second.begin(), it->second.end(), [&](const auto& x, const auto& y) {
            return std::fabs(satellites[x.first].leadInBits + 96.0 * x.second - bit) <
                   std::fabs(satellites[y.first].leadInBits + 96.0 * y.second - bit);
          });
      seen[s * kPackets + i] = true;
    }
  };
  constexpr std::size_t kPiece = 65536;
  for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
    samples.clear();
    converter.Convert(bytes.data() + at, std::min(kPiece, bytes.size() - at), &samples);
    receiver.Push(samples.data(), samples.size());
    tally(receiver.TakePackets());
  }
  receiver.Finish();
  tally(receiver.TakePackets());
  for (int s = 0; s < kSatellites; ++s) {
    for (int i = 0; i < kPackets; ++i) {
      if (seen[s * kPackets + i]) {
        ++outcome.found[s];
      } else if (i < kEarly) {
        ++outcome.early[s];
      }
    }
  }
  return outcome;
}

std::vector<double> ParseList(const char* text) {
  std::vector<double> values;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) values.push_back(std::atof(item.c_str()));
  return values;
}

}  // namespace

int main(int argc, char** argv) {
  int seeds = 4;
  double lateSeconds = 0.0;
  std::vector<double> levels = {8, 10, 12, 14};
  for (int i = 1; i < argc; i += 2) {
    if (std::strcmp(argv[i], "--list-false") == 0) {
      listFalse = true;
      --i;  // takes no value
      continue;
    }
    if (i + 1 == argc && std::strcmp(argv[i], "--realistic") != 0) {
      std::fprintf(stderr, "%s: %s needs a value\n", argv[0], argv[i]);
      return 2;
    }
    if (std::strcmp(argv[i], "--seeds") == 0) {
      seeds = std::max(1, std::atoi(argv[i + 1]));
    } else if (std::strcmp(argv[i], "--ebn0") == 0) {
      levels = ParseList(argv[i + 1]);
    } else if (std::strcmp(argv[i], "--packets") == 0) {
      kPackets = std::max(20, std::atoi(argv[i + 1]));
    } else if (std::strcmp(argv[i], "--realistic") == 0) {
      realistic = true;
      --i;  // takes no value
    } else if (std::strcmp(argv[i], "--late") == 0) {
      lateSeconds = std::atof(argv[i + 1]);
    } else {
      std::fprintf(stderr,
                   "usage: %s [--seeds N] [--ebn0 8,10,...] [--late SECONDS] [--packets N] "
                   "[--realistic] [--list-false]\n",
                   argv[0]);
      return 2;
    }
  }
  std::printf("%d satellites x %d packets x %d seeds, cu8 at %.0f samples/s\n", kSatellites,
              kPackets, seeds, kRate);
  for (double level : levels) {
    Outcome total;
    for (int seed = 1; seed <= seeds; ++seed) {
      const Outcome one = RunOnce(level, static_cast<std::uint32_t>(seed), lateSeconds);
      for (int s = 0; s < kSatellites; ++s) {
        total.found[s] += one.found[s];
        total.early[s] += one.early[s];
      }
      total.falsePackets += one.falsePackets;
    }
    const double sent = kPackets * seeds;
    double worst = 100.0;
    int early = 0, spread = 0;
    std::printf("Eb/N0 %4.1f dB:", level);
    for (int s = 0; s < kSatellites; ++s) {
      const double percent = 100.0 * total.found[s] / sent;
      worst = std::min(worst, percent);
      early += total.early[s];
      spread += static_cast<int>(sent) - total.found[s] - total.early[s];
      std::printf(" sat%d %5.1f %%", s, percent);
    }
    std::printf("  worst %5.1f %%  false %d  misses: first %d packets %d, rest %d\n", worst,
                total.falsePackets, kEarly, early, spread);
    std::fflush(stdout);
  }
  return 0;
}
