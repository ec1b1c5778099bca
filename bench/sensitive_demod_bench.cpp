// Speed of the sensitive demodulator: one second of audio per iteration,
// handed over as capture hands over a completed buffer (goal: "realtime"
// 500 or more on one core).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "decode_harness.h"
#include "synth/packet_builder.h"
#include "synth/signal_synth.h"

namespace {

using namespace vantrel;

using bench::kSecond;

void Run(benchmark::State& state, const std::vector<std::uint8_t>& audio) {
  bench::DecodeSeconds(state, audio, kDemodulatorSensitive, bench::Feeding::Seconds);
}

void BM_SensitiveNoise(benchmark::State& state) {
  static const auto noise = synth::SynthesizeNoise(4 * kSecond, 20.0, 1);
  Run(state, noise);
}

// Packets back to back at 8 dB peak SNR, the sound card 300 ppm fast.
void BM_SensitiveWeakPackets(benchmark::State& state) {
  static const auto audio = [] {
    std::mt19937 engine(3);
    std::vector<synth::Packet> packets;
    while (packets.size() < 200) {
      synth::Packet p{0x1D};
      for (int k = 0; k < 9; ++k) p.push_back(static_cast<std::uint8_t>(engine()));
      packets.push_back(synth::WithChecksum(p));
    }
    auto samples = synth::SynthesizePackets(
        packets, {.noise = 60 / std::pow(10.0, 8.0 / 20), .clockPpm = 300, .seed = 2});
    samples.resize(samples.size() / kSecond * kSecond);
    return samples;
  }();
  Run(state, audio);
}

}  // namespace

BENCHMARK(BM_SensitiveNoise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SensitiveWeakPackets)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
