// Memory of the SDR band receiver over a long run: an hour (or --minutes) of
// a four-satellite cu8 band at 1.2288 Msps through sdr::SdrReceiver, made
// from a few seconds of synthesized band played in a loop. Two satellites
// send throughout; the other two are on only in alternate rounds of the
// loop, far enough apart that their channels fade out and are closed, so
// channels keep opening and closing. Prints VmRSS and VmHWM (from
// /proc/self/status) every 10 minutes of signal, and the packets found.
//
//   sdr_memory [--minutes 60]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "sdr/sdr_receiver.h"
#include "synth/band_synth.h"

namespace {

using namespace vantrel;

constexpr double kRate = 1228800.0;
constexpr double kLoopSeconds = 4.0;
// Rounds of the loop with and without the coming-and-going satellites: long
// enough off for their channels to be closed.
constexpr int kRoundsOn = 5;
constexpr int kRoundsOff = 5;

std::vector<std::uint8_t> Band(bool all) {
  const double channels[] = {-240000, 95000, -75000, 260000};
  const double doppler[] = {3000, -2500, 1200, -3400};
  std::vector<synth::BandSatellite> satellites;
  for (int s = 0; s < (all ? 4 : 2); ++s) {
    synth::BandSatellite satellite;
    satellite.channelHz = channels[s];
    satellite.dopplerHz = doppler[s];
    satellite.ebN0Db = 12.0;
    satellite.inverted = s % 2 == 1;
    satellite.packets = synth::DownlinkPackets(10 + s, 210, static_cast<std::uint32_t>(s + 1));
    satellites.push_back(satellite);
  }
  synth::BandOptions options;
  options.sampleRate = kRate;
  options.seconds = kLoopSeconds;
  return synth::EncodeIq(synth::SynthesizeBand(satellites, options), sdr::IqFormat::Cu8);
}

std::string Status(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return line.substr(std::strlen(key) + 1);
  }
  return "?";
}

}  // namespace

int main(int argc, char** argv) {
  double minutes = 60.0;
  if (argc == 3 && std::strcmp(argv[1], "--minutes") == 0) {
    minutes = std::atof(argv[2]);
  } else if (argc != 1) {
    std::fprintf(stderr, "usage: %s [--minutes M]\n", argv[0]);
    return 2;
  }
  const std::vector<std::uint8_t> bands[] = {Band(true), Band(false)};
  sdr::SdrReceiver receiver(kRate, 137.5e6);
  sdr::IqConverter converter(sdr::IqFormat::Cu8);
  std::vector<sdr::Complex> samples;
  long long packets = 0;
  const long long rounds = static_cast<long long>(minutes * 60.0 / kLoopSeconds);
  const long long roundsPerReport = static_cast<long long>(600.0 / kLoopSeconds);
  const auto start = std::chrono::steady_clock::now();
  std::printf("signal  VmRSS        VmHWM        channels  packets  seconds taken\n");
  for (long long round = 0; round <= rounds; ++round) {
    if (round % roundsPerReport == 0 || round == rounds) {
      const double taken =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      std::printf("%3lld min  %-11s  %-11s  %8zu  %7lld  %.0f\n",
                  static_cast<long long>(round * kLoopSeconds / 60.0), Status("VmRSS:").c_str(),
                  Status("VmHWM:").c_str(), receiver.spectrum().channels.size(), packets, taken);
      std::fflush(stdout);
    }
    if (round == rounds) break;
    const auto& bytes = bands[round % (kRoundsOn + kRoundsOff) < kRoundsOn ? 0 : 1];
    constexpr std::size_t kPiece = 262144;
    for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
      samples.clear();
      converter.Convert(bytes.data() + at, std::min(kPiece, bytes.size() - at), &samples);
      receiver.Push(samples.data(), samples.size());
      packets += static_cast<long long>(receiver.TakePackets().size());
    }
  }
  return 0;
}
