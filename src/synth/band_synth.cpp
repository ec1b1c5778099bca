#include "synth/band_synth.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <random>

#include "base/sample_rate.h"
#include "demod/liquid_dsp.h"
#include "synth/baseband_synth.h"
#include "synth/noise_source.h"

namespace vantrel::synth {

namespace {
// Each downlink is made at the capture rate, wide enough for ±3.5 kHz of
// Doppler around a ±5 kHz signal, then interpolated up to the band's rate.
constexpr double kDownlinkRate = kCaptureSampleRate;
constexpr double kDownlinkEdgeHz = 9000.0;

// Power P over the band's noise in 5 kHz: the noise has 2 rms² per sample
// over the whole rate, so 5 kHz of it holds 2 rms² * 5000 / rate.
double InterfererAmplitude(const BandOptions& options, double powerDb) {
  const double noise5k = 2.0 * options.noiseRms * options.noiseRms * 5000.0 / options.sampleRate;
  return std::sqrt(noise5k * std::pow(10.0, powerDb / 10.0));
}

void AddInterferers(const BandOptions& options, std::vector<std::complex<float>>* band) {
  constexpr double kTau = 2.0 * std::numbers::pi;
  for (const BandInterferer& other : options.interferers) {
    const double rate = options.sampleRate;
    double amplitude = InterfererAmplitude(options, other.powerDb);
    // A wide signal spreads its power over 120 kHz instead of 5 kHz.
    const int average = std::max(1, static_cast<int>(rate / 120000.0));
    if (other.kind == BandInterferer::Kind::Wide) amplitude *= std::sqrt(120000.0 / 5000.0);
    NoiseSource noise(1.0, static_cast<std::uint32_t>(options.seed * 31 + 7));
    std::vector<std::complex<double>> recent(static_cast<std::size_t>(average));
    std::complex<double> sum;
    for (std::size_t n = 0; n < band->size(); ++n) {
      const double t = static_cast<double>(n) / rate;
      double phase = kTau * other.hz * t;
      std::complex<double> value = 1.0;
      if (other.kind == BandInterferer::Kind::AnalogFm) {
        phase -= 17000.0 / 2400.0 * std::cos(kTau * 2400.0 * t);
      } else if (other.kind == BandInterferer::Kind::Wide) {
        // Noise through a moving average: a sinc-shaped hump 120 kHz wide.
        auto& slot = recent[n % recent.size()];
        sum -= slot;
        slot = {noise.Next(), noise.Next()};
        sum += slot;
        value = sum / std::sqrt(2.0 * average);
      }
      (*band)[n] +=
          std::complex<float>(amplitude * value * std::polar(1.0, std::fmod(phase, kTau)));
    }
  }
}

}  // namespace

std::vector<std::complex<float>> SynthesizeBand(const std::vector<BandSatellite>& satellites,
                                                const BandOptions& options) {
  const auto total = static_cast<std::size_t>(options.seconds * options.sampleRate);
  std::vector<std::complex<float>> band(total);
  // N0 = noise power per sample / sample rate; a satellite of amplitude A
  // has Eb = A² / bit rate.
  const double n0 = 2.0 * options.noiseRms * options.noiseRms / options.sampleRate;
  for (const BandSatellite& satellite : satellites) {
    BasebandOptions baseband;
    baseband.sampleRate = kDownlinkRate;
    baseband.carrierHz = satellite.dopplerHz;
    baseband.driftHzPerSecond = satellite.driftHzPerSecond;
    baseband.bandLimitHz = kDownlinkEdgeHz;
    baseband.inverted = satellite.inverted;
    baseband.leadInBits = satellite.leadInBits;
    baseband.shape = satellite.shape;
    const std::vector<std::complex<float>> signal = ModulateBaseband(satellite.packets, baseband);
    const double amplitude = std::sqrt(std::pow(10.0, satellite.ebN0Db / 10.0) * n0 * kBitRate);

    const auto rate = static_cast<float>(options.sampleRate / kDownlinkRate);
    resamp_crcf resampler = resamp_crcf_create_default(rate);
    std::vector<std::complex<float>> out(static_cast<std::size_t>(std::ceil(rate)) + 2);
    std::size_t n = 0;
    const double step = 2.0 * std::numbers::pi * satellite.channelHz / options.sampleRate;
    for (std::size_t i = 0; i < signal.size() && n < total; ++i) {
      unsigned int written = 0;
      resamp_crcf_execute(resampler, signal[i], out.data(), &written);
      for (unsigned int k = 0; k < written && n < total; ++k, ++n) {
        const double phase = std::fmod(step * static_cast<double>(n), 2.0 * std::numbers::pi);
        // A slow fade, raised-cosine shaped, satellite.fadeDb deep at its bottom.
        const double t = static_cast<double>(n) / options.sampleRate;
        const double depth =
            satellite.fadeDb *
            (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * t / satellite.fadeSeconds));
        band[n] += out[k] * std::complex<float>(
                                std::polar(amplitude * std::pow(10.0, -depth / 20.0), phase));
      }
    }
    resamp_crcf_destroy(resampler);
  }
  AddInterferers(options, &band);
  NoiseSource noise(options.noiseRms, options.seed);
  for (auto& x : band) {
    const auto i = static_cast<float>(noise.Next());
    x += std::complex<float>(i, static_cast<float>(noise.Next()));
  }
  return band;
}

std::vector<std::uint8_t> EncodeIq(const std::vector<std::complex<float>>& samples,
                                   sdr::IqFormat format) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(samples.size() * sdr::IqSampleBytes(format));
  auto put = [&](float v) {
    switch (format) {
      case sdr::IqFormat::Cu8:
        bytes.push_back(
            static_cast<std::uint8_t>(std::clamp(std::lround(v * 128.0f + 127.5f), 0L, 255L)));
        break;
      case sdr::IqFormat::Cs16: {
        const auto s =
            static_cast<std::uint16_t>(std::clamp(std::lround(v * 32768.0f), -32768L, 32767L));
        bytes.push_back(static_cast<std::uint8_t>(s & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(s >> 8));
        break;
      }
      case sdr::IqFormat::Cf32: {
        std::uint8_t raw[4];
        std::memcpy(raw, &v, 4);
        bytes.insert(bytes.end(), raw, raw + 4);
        break;
      }
    }
  };
  for (const auto& x : samples) {
    put(x.real());
    put(x.imag());
  }
  return bytes;
}

std::vector<Packet> DownlinkPackets(int fm, int count, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<Packet> packets;
  for (int i = 0; i < count; ++i) {
    Packet bytes;
    if (i % 20 == 0) {
      // Sync: FM number, a downlink code, frame number.
      bytes = {0x65,
               0xA8,
               0xF9,
               static_cast<std::uint8_t>(fm),
               0x00,
               0x80,
               static_cast<std::uint8_t>((i / 20 % 16) << 4),
               0,
               0,
               0};
    } else {
      bytes = {0x1E};
      for (int k = 1; k < 10; ++k) bytes.push_back(static_cast<std::uint8_t>(random()));
    }
    packets.push_back(WithChecksum(bytes));
  }
  return packets;
}

}  // namespace vantrel::synth
