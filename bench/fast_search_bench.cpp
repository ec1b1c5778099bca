// Packet search throughput: the plain search (80 ring reads per sample
// position) against the document's DecodeSamples and FeedSample, on receiver
// noise and on a dense packet stream, with the speed-up of each over the
// plain search printed at the end of the run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>

#include "base/packet_types.h"
#include "document/vantrel_doc.h"
#include "support/reference_search.h"
#include "synth/packet_builder.h"
#include "synth/signal_synth.h"

namespace {

using namespace vantrel;
using Audio = std::vector<std::uint8_t>;

constexpr int kRing = VantrelDoc::kRingLength;
constexpr int kSeconds = 4;  // distinct seconds of audio cycled through

// Discriminator output with no satellite in view.
Audio Noise() { return synth::SynthesizeNoise(kSeconds * kRing, 25.0, 7); }

// Packets of every type back to back, as during a pass overhead.
Audio DensePackets() {
  static constexpr std::uint8_t kTypes[] = {0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x22, 0x65};
  std::mt19937 rng(7);
  std::vector<synth::Packet> packets;
  while (static_cast<int>(packets.size()) < kSeconds * 48) {
    const std::uint8_t type = kTypes[rng() % 8];
    synth::Packet bytes(type == kTypeEphemeris ? 22 : 10);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    bytes[0] = type;
    packets.push_back(synth::WithChecksum(bytes));
  }
  synth::SynthOptions options;
  options.noise = 10.0;
  options.idleBits = 2;
  Audio audio = synth::SynthesizePackets(packets, options);
  audio.resize(kSeconds * kRing, 128);
  return audio;
}

const Audio& Input(int kind) {
  static const Audio noise = Noise();
  static const Audio dense = DensePackets();
  return kind == 0 ? noise : dense;
}

enum class Search { Plain, DecodeSamples, FeedSample };

void SearchSeconds(benchmark::State& state, Search search) {
  const Audio& audio = Input(static_cast<int>(state.range(0)));
  HeldClock clock(1178964672);
  VantrelDoc doc(clock, "/nonexistent/");
  doc.logFlag = 0;
  doc.packetSearch().SetPolarity(0);
  int second = 0;
  for (auto _ : state) {
    const std::uint8_t* samples = audio.data() + static_cast<std::ptrdiff_t>(second) * kRing;
    switch (search) {
      case Search::Plain:
        test::ReferenceFeedSamples(doc, samples, kRing);
        break;
      case Search::DecodeSamples:
        doc.DecodeSamples(samples, kRing);
        break;
      case Search::FeedSample:
        for (int i = 0; i < kRing; ++i) doc.FeedSample(samples[i]);
        break;
    }
    second = (second + 1) % kSeconds;
  }
  benchmark::DoNotOptimize(doc.packetSearch().state().skipCounter);
  state.SetItemsProcessed(state.iterations() * kRing);
}

void BM_PlainSearch(benchmark::State& state) { SearchSeconds(state, Search::Plain); }
void BM_DecodeSamples(benchmark::State& state) { SearchSeconds(state, Search::DecodeSamples); }
void BM_FeedSample(benchmark::State& state) { SearchSeconds(state, Search::FeedSample); }

// Argument 0: noise, 1: dense packets.
BENCHMARK(BM_PlainSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeSamples)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FeedSample)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Console output as usual, plus every run's samples per second by name.
class RateReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const auto it = run.counters.find("items_per_second");
      if (it != run.counters.end()) rates[run.benchmark_name()] = it->second.value;
    }
  }
  std::map<std::string, double> rates;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RateReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\nSamples per second and speed-up over the plain search:\n");
  for (const char* input : {"0", "1"}) {
    const auto plain = reporter.rates.find(std::string("BM_PlainSearch/") + input);
    if (plain == reporter.rates.end()) continue;
    std::printf("  %-14s plain %7.1f M/s", *input == '0' ? "noise" : "dense packets",
                plain->second / 1e6);
    for (const char* search : {"DecodeSamples", "FeedSample"}) {
      const auto fast = reporter.rates.find(std::string("BM_") + search + "/" + input);
      if (fast == reporter.rates.end()) continue;
      std::printf("   %s %7.1f M/s (%5.1fx)", search, fast->second / 1e6,
                  fast->second / plain->second);
    }
    std::printf("\n");
  }
  return 0;
}
