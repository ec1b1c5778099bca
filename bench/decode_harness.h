// The decoding benchmarks' common loop: one second of audio per iteration
// through the receiver document, either as capture hands over a completed
// buffer (DecodeSamples) or sample by sample (FeedSample). "realtime" is
// seconds of audio decoded per second of processing.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "document/vantrel_doc.h"

namespace vantrel::bench {

inline constexpr int kSecond = VantrelDoc::kRingLength;

enum class Feeding { Seconds, Samples };

inline void DecodeSeconds(benchmark::State& state, const std::vector<std::uint8_t>& audio,
                          int demodulator, Feeding feeding) {
  HeldClock clock(1178964672);
  VantrelDoc doc(clock, "/nonexistent/");
  doc.logFlag = 0;
  doc.packetSearch().SetPolarity(0);
  doc.SetDemodulator(demodulator);
  std::size_t at = 0;
  std::size_t lines = 0;
  for (auto _ : state) {
    if (feeding == Feeding::Seconds) {
      // The audio is a whole number of seconds long.
      lines += doc.DecodeSamples(audio.data() + at, kSecond).size();
      at = (at + kSecond) % audio.size();
    } else {
      for (int i = 0; i < kSecond; ++i) {
        doc.FeedSample(audio[at]);
        at = at + 1 == audio.size() ? 0 : at + 1;
      }
    }
    benchmark::DoNotOptimize(doc.messageRing().head());
  }
  benchmark::DoNotOptimize(lines);
  state.SetItemsProcessed(state.iterations() * kSecond);
  state.counters["realtime"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace vantrel::bench
