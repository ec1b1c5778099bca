// Speed of the packet search: one second of audio per iteration, fed sample
// by sample ("realtime" must stay above 1 on the slowest machine in use).
#include <benchmark/benchmark.h>

#include "decode_harness.h"
#include "synth/packet_builder.h"
#include "synth/signal_synth.h"

namespace {

using namespace vantrel;

using bench::kSecond;

void Run(benchmark::State& state, const std::vector<std::uint8_t>& audio) {
  bench::DecodeSeconds(state, audio, kDemodulatorClassic, bench::Feeding::Samples);
}

void BM_FeedSampleNoise(benchmark::State& state) {
  static const auto noise = synth::SynthesizeNoise(4 * kSecond, 20.0, 1);
  Run(state, noise);
}

// Packets of every type back to back, as a busy downlink sends them.
void BM_FeedSampleDensePackets(benchmark::State& state) {
  static const auto audio = [] {
    const std::vector<synth::Packet> kinds = {
        synth::WithChecksum({0x65, 0xA8, 0xF9, 0x0C, 0x00, 0xC8, 0x30, 0, 0, 0}),
        synth::WithChecksum({0x1A, 0x21, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}),
        synth::WithChecksum({0x1B, 0x00, 0x00, 0x01, 0x02, 0x00, 0x05, 0x06, 0x07, 0x00}),
        synth::WithChecksum({0x1C, 0x10, 0x00, 0x00, 0x00, 0xA0, 0x00, 0x00, 0x41, 0x00}),
        synth::WithChecksum({0x1D, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09}),
        synth::WithChecksum({0x1E, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x00, 0x11, 0x22}),
        {0x1F, 0x0C, 0x90, 0xD0, 0xCB, 0xC6, 0xAD, 0xB4, 0xC4, 0x0C, 0,    0,
         0,    0,    0,    0,    0,    0x40, 0x32, 0x03, 0x78, 0x05, 0x49, 0x78},
        synth::WithChecksum({0x22, 0x07, 0x07, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0xF0}),
    };
    std::vector<synth::Packet> packets;
    while (packets.size() < 200) packets.insert(packets.end(), kinds.begin(), kinds.end());
    synth::SynthOptions options;
    options.noise = 6.0;
    return synth::SynthesizePackets(packets, options);
  }();
  Run(state, audio);
}

}  // namespace

BENCHMARK(BM_FeedSampleNoise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FeedSampleDensePackets)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
