// The discriminator signal of a differentially phase-modulated carrier: every
// bit turns the carrier's phase by +90 degrees (bit 1) or -90 degrees (bit 0)
// over the middle of its window, and the FM discriminator outputs the rate of
// that turn, a smooth frequency pulse whose sign is the bit and whose body
// lies in samples 2..6 of the ten-sample bit window.
#include "synth/signal_synth.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>

namespace vantrel::synth {

namespace {

constexpr double kMidLevel = 128.0;

// Gaussian noise from a fully specified engine (Box-Muller), so a seed gives
// the same samples with every standard library.
class NoiseSource {
 public:
  NoiseSource(double sigma, std::uint32_t seed) : sigma_(sigma), engine_(seed) {}
  double Next() {
    if (sigma_ <= 0.0) return 0.0;
    if (haveSpare_) {
      haveSpare_ = false;
      return spare_;
    }
    constexpr double kScale = 1.0 / 4294967296.0;
    const double u1 = (static_cast<double>(engine_()) + 1.0) * kScale;  // (0, 1]
    const double u2 = static_cast<double>(engine_()) * kScale;
    const double radius = sigma_ * std::sqrt(-2.0 * std::log(u1));
    const double angle = 2.0 * std::numbers::pi * u2;
    spare_ = radius * std::sin(angle);
    haveSpare_ = true;
    return radius * std::cos(angle);
  }

 private:
  double sigma_;
  std::mt19937 engine_;
  bool haveSpare_ = false;
  double spare_ = 0.0;
};

// Instantaneous frequency of one bit's phase turn at each sample of its window:
// a raised cosine centred on sample 4, 7 samples wide, so samples 2..6 carry
// the pulse and the window's edges stay near the mid level.
std::array<double, kSamplesPerBitSynth> PulseShape() {
  std::array<double, kSamplesPerBitSynth> shape{};
  constexpr double kCentre = 4.0, kHalfWidth = 3.5;
  for (int j = 0; j < kSamplesPerBitSynth; ++j) {
    const double t = (j - kCentre) / kHalfWidth;
    shape[j] = std::abs(t) < 1.0 ? 0.5 * (1.0 + std::cos(std::numbers::pi * t)) : 0.0;
  }
  return shape;
}

std::uint8_t Quantize(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// Sample index where packet k's first bit window begins.
int PacketStartSample(const std::vector<Packet>& packets, const SynthOptions& options, int k) {
  int start = options.leadInSamples;
  for (int i = 0; i < k; ++i) {
    start += static_cast<int>(packets[i].size()) * 8 * kSamplesPerBitSynth +
             options.idleBits * kSamplesPerBitSynth;
  }
  return start;
}

}  // namespace

std::vector<std::uint8_t> SynthesizePackets(const std::vector<Packet>& packets,
                                            const SynthOptions& options) {
  const auto shape = PulseShape();
  NoiseSource noise(options.noise, options.seed);
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(
      PacketStartSample(packets, options, static_cast<int>(packets.size()))));
  const auto idle = [&](int samples) {
    for (int i = 0; i < samples; ++i) out.push_back(Quantize(kMidLevel + noise.Next()));
  };
  idle(options.leadInSamples);
  for (const Packet& packet : packets) {
    for (const std::uint8_t byte : packet) {
      for (int bit = 0; bit < 8; ++bit) {
        double sign = ((byte >> bit) & 1) != 0 ? 1.0 : -1.0;
        if (options.inverted) sign = -sign;
        for (int j = 0; j < kSamplesPerBitSynth; ++j) {
          out.push_back(Quantize(kMidLevel + sign * options.amplitude * shape[j] + noise.Next()));
        }
      }
    }
    idle(options.idleBits * kSamplesPerBitSynth);
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
