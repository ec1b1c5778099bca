// The discriminator signal of a differentially phase-modulated carrier: every
// bit turns the carrier's phase by +90 degrees (bit 1) or -90 degrees (bit 0)
// over the middle of its window, and the FM discriminator outputs the rate of
// that turn, a smooth frequency pulse whose sign is the bit and whose body
// lies in samples 2..6 of the ten-sample bit window.
#include "synth/signal_synth.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "synth/noise_source.h"

namespace vantrel::synth {

namespace {

constexpr double kMidLevel = 128.0;

std::uint8_t Quantize(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

}  // namespace

std::vector<std::uint8_t> SynthesizePackets(const std::vector<Packet>& packets,
                                            const SynthOptions& options) {
  // Bit symbols in order: +1 or -1 for packet bits, 0 for idle bits.
  std::vector<signed char> symbols;
  for (const Packet& packet : packets) {
    for (const std::uint8_t byte : packet) {
      for (int bit = 0; bit < 8; ++bit) {
        const bool one = ((byte >> bit) & 1) != 0;
        symbols.push_back(static_cast<signed char>(one != options.inverted ? 1 : -1));
      }
    }
    symbols.insert(symbols.end(), static_cast<std::size_t>(options.idleBits), 0);
  }
  // A sound card running fast or slow stretches the bit period in samples.
  const double period = kSamplesPerBitSynth * (1.0 + options.clockPpm * 1e-6);
  const auto total =
      static_cast<std::size_t>(options.leadInSamples) +
      static_cast<std::size_t>(std::llround(period * static_cast<double>(symbols.size())));
  NoiseSource noise(options.noise, options.seed);
  constexpr double kCentre = 4.0;
  const double halfWidth = std::clamp(options.pulseWidth, 1.0, 10.0) / 2;
  std::vector<std::uint8_t> out(total);
  for (std::size_t n = 0; n < total; ++n) {
    double value = kMidLevel + options.dcOffset;
    const double t = static_cast<double>(n) - options.leadInSamples;
    if (t >= 0.0 && !symbols.empty()) {
      const auto k = std::min(static_cast<std::size_t>(t / period), symbols.size() - 1);
      // Frequency pulse of the bit: a raised cosine pulseWidth samples wide,
      // centred on sample 4 of the bit window.
      const double u = (t - static_cast<double>(k) * period - kCentre) / halfWidth;
      if (std::abs(u) < 1.0) {
        const double shape = 0.5 * (1.0 + std::cos(std::numbers::pi * u));
        value += symbols[k] * options.amplitude * shape;
      }
    }
    out[n] = Quantize(value + noise.Next());
  }
  return out;
}

std::vector<std::uint8_t> SynthesizeNoise(int count, double noise, std::uint32_t seed) {
  NoiseSource source(noise, seed);
  std::vector<std::uint8_t> out(static_cast<std::size_t>(std::max(count, 0)));
  for (auto& sample : out) sample = Quantize(kMidLevel + source.Next());
  return out;
}

bool WriteWav(const std::string& path, const std::vector<std::uint8_t>& samples,
              const WavFormat& format, std::string* error) {
  SF_INFO info{};
  info.samplerate = format.sampleRate;
  info.channels = format.channels;
  info.format = SF_FORMAT_WAV | (format.sixteenBit ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_U8);
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) {
    if (error != nullptr) *error = sf_strerror(nullptr);
    return false;
  }
  // Frames as 16-bit values; libsndfile converts them to 8-bit unsigned when
  // that is the file's format. Channels after the first carry the mirror
  // image of the signal, so reading the wrong channel cannot pass for right.
  std::vector<short> frames(samples.size() * static_cast<std::size_t>(format.channels));
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const int centred = samples[i] - 128;
    for (int c = 0; c < format.channels; ++c) {
      const int value = c == 0 ? centred : std::clamp(-centred, -128, 127);
      frames[i * format.channels + c] = static_cast<short>(value * 256);
    }
  }
  const sf_count_t written =
      sf_writef_short(file, frames.data(), static_cast<sf_count_t>(samples.size()));
  const bool ok = written == static_cast<sf_count_t>(samples.size());
  if (!ok && error != nullptr) *error = sf_strerror(file);
  sf_close(file);
  return ok;
}

}  // namespace vantrel::synth
