// Speed of the SDR band receiver: one second of band per iteration through
// conversion from cu8, the band transform, carrier finding and every
// channel. "realtime" is seconds of band processed per second.
#include <benchmark/benchmark.h>

#include "sdr/sdr_receiver.h"
#include "synth/band_synth.h"

namespace {

using namespace vantrel;

std::vector<std::uint8_t> Band(double rate, int satellites) {
  std::vector<synth::BandSatellite> list;
  for (int s = 0; s < satellites; ++s) {
    synth::BandSatellite satellite;
    satellite.channelHz = -240000.0 + 160000.0 * s;
    satellite.dopplerHz = 1000.0 * (s - 1.5);
    satellite.packets = synth::DownlinkPackets(s + 1, 100, static_cast<std::uint32_t>(s + 1));
    list.push_back(satellite);
  }
  synth::BandOptions options;
  options.sampleRate = rate;
  options.seconds = 2.0;
  return synth::EncodeIq(synth::SynthesizeBand(list, options), sdr::IqFormat::Cu8);
}

void Run(benchmark::State& state, double rate, int satellites) {
  const auto bytes = Band(rate, satellites);
  const std::size_t second = static_cast<std::size_t>(rate) * 2;
  sdr::SdrReceiver receiver(rate, 137.5e6);
  sdr::IqConverter converter(sdr::IqFormat::Cu8);
  std::vector<sdr::Complex> samples;
  std::size_t at = 0;
  for (auto _ : state) {
    samples.clear();
    converter.Convert(bytes.data() + at, second, &samples);
    at = (at + second) % bytes.size();
    receiver.Push(samples.data(), samples.size());
    benchmark::DoNotOptimize(receiver.TakePackets());
  }
  state.counters["channels"] = static_cast<double>(receiver.spectrum().channels.size());
  state.counters["realtime"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Band1228800FourChannels(benchmark::State& state) { Run(state, 1228800.0, 4); }
void BM_Band2400000FourChannels(benchmark::State& state) { Run(state, 2400000.0, 4); }

}  // namespace

BENCHMARK(BM_Band1228800FourChannels)->Unit(benchmark::kMillisecond)->MinTime(5.0);
BENCHMARK(BM_Band2400000FourChannels)->Unit(benchmark::kMillisecond)->MinTime(5.0);
BENCHMARK_MAIN();
