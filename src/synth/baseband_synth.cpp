#include "synth/baseband_synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "demod/liquid_dsp.h"
#include "synth/noise_source.h"

namespace vantrel::synth {

namespace {

constexpr double kPi = std::numbers::pi;
// Each bit's phase turn follows a raised-cosine ramp 0.7 bit periods long,
// centred 0.45 periods into the bit, so the turn is complete before the next.
constexpr double kRampCentre = 0.45, kRampWidth = 0.7;

double Ramp(double x) {  // x in bit periods from the ramp's centre
  const double u = x / kRampWidth;
  if (u <= -0.5) return 0.0;
  if (u >= 0.5) return 1.0;
  return 0.5 * (1.0 - std::cos(kPi * (u + 0.5)));
}

std::vector<signed char> Symbols(const std::vector<Packet>& packets, const BasebandOptions& o) {
  std::vector<signed char> symbols(static_cast<std::size_t>(std::max(o.leadInBits, 0)), 0);
  for (const Packet& packet : packets) {
    for (const std::uint8_t byte : packet) {
      for (int bit = 0; bit < 8; ++bit) {
        const bool one = ((byte >> bit) & 1) != 0;
        symbols.push_back(static_cast<signed char>(one != o.inverted ? 1 : -1));
      }
    }
    symbols.insert(symbols.end(), static_cast<std::size_t>(std::max(o.idleBits, 0)), 0);
  }
  return symbols;
}

constexpr double kRollOff = 0.4;
constexpr int kRrcSpan = 5;  // symbols each side of a pulse's centre

// Root-raised-cosine pulse of unit energy, t in symbol periods.
double RootRaisedCosine(double t) {
  const double b = kRollOff;
  if (std::fabs(t) < 1e-9) return 1.0 - b + 4.0 * b / kPi;
  if (std::fabs(std::fabs(t) - 1.0 / (4.0 * b)) < 1e-9) {
    return b / std::sqrt(2.0) *
           ((1.0 + 2.0 / kPi) * std::sin(kPi / (4.0 * b)) +
            (1.0 - 2.0 / kPi) * std::cos(kPi / (4.0 * b)));
  }
  return (std::sin(kPi * t * (1.0 - b)) + 4.0 * b * t * std::cos(kPi * t * (1.0 + b))) /
         (kPi * t * (1.0 - 16.0 * b * b * t * t));
}

// Low-pass of the complex samples to +-edgeHz, delay removed.
void BandLimit(std::vector<std::complex<float>>& x, double sampleRate, double edgeHz) {
  const double fc = edgeHz / sampleRate;
  if (edgeHz <= 0.0 || fc >= 0.5 || x.empty()) return;
  // About four cycles of the edge frequency keep the skirt narrow.
  const unsigned half = static_cast<unsigned>(std::clamp(2.0 / fc, 4.0, 400.0));
  const unsigned length = 2 * half + 1;
  firfilt_crcf filter = firfilt_crcf_create_kaiser(length, static_cast<float>(fc), 60.0f, 0.0f);
  firfilt_crcf_set_scale(filter, static_cast<float>(2.0 * fc));
  std::vector<std::complex<float>> y(x.size());
  for (std::size_t n = 0; n < x.size() + half; ++n) {
    firfilt_crcf_push(filter, n < x.size() ? x[n] : std::complex<float>{});
    if (n >= half) firfilt_crcf_execute(filter, &y[n - half]);
  }
  firfilt_crcf_destroy(filter);
  x.swap(y);
}

}  // namespace

std::vector<std::complex<float>> ModulateBaseband(const std::vector<Packet>& packets,
                                                  const BasebandOptions& options) {
  const std::vector<signed char> symbols = Symbols(packets, options);
  const double rate = options.sampleRate;
  const double period = rate / kBitRate * (1.0 + options.clockPpm * 1e-6);  // samples per bit
  const auto total =
      static_cast<std::size_t>(std::llround(period * static_cast<double>(symbols.size())));
  std::vector<std::complex<float>> out(total);

  // Noise power per complex sample for Eb/N0 with unit signal power:
  // Eb = 1 / bit rate, N0 = sigma^2 / sample rate.
  const double ebN0 = std::pow(10.0, options.ebN0Db / 10.0);
  const double sigma = std::isfinite(ebN0) ? std::sqrt(rate / (kBitRate * ebN0) / 2.0) : 0.0;
  NoiseSource noise(sigma, options.seed);

  // Linear modulation: symbol k is e^{j phase_k}, each bit turning the
  // phase by +-90 degrees, and sits at the middle of bit period k.
  std::vector<std::complex<double>> points;
  if (options.shape == PulseShape::RootRaisedCosine) {
    double phase = 0.0;
    for (const signed char s : symbols) {
      phase += s * kPi / 2;
      points.push_back(std::polar(1.0, phase));
    }
  }

  double modPhase = 0.0;      // phase of the completed bits
  double carrierPhase = 0.0;  // radians, kept within one turn
  std::size_t k = 0;
  for (std::size_t n = 0; n < total; ++n) {
    const double t = static_cast<double>(n) / period;  // in bit periods
    while (k + 1 < symbols.size() && t >= static_cast<double>(k + 1)) {
      modPhase += symbols[k] * kPi / 2;
      ++k;
    }
    std::complex<double> signal;
    if (points.empty()) {
      signal = std::polar(
          1.0, modPhase + symbols[k] * kPi / 2 * Ramp(t - static_cast<double>(k) - kRampCentre));
    } else {
      const long centre = static_cast<long>(k);
      for (long j = std::max(0L, centre - kRrcSpan);
           j <= std::min<long>(centre + kRrcSpan, static_cast<long>(points.size()) - 1); ++j) {
        signal += points[static_cast<std::size_t>(j)] *
                  RootRaisedCosine(t - static_cast<double>(j) - 0.5);
      }
    }
    const double seconds = static_cast<double>(n) / rate;
    const double frequency = options.carrierHz + options.driftHzPerSecond * seconds;
    signal *= std::polar(1.0, carrierPhase);
    const double i = signal.real() + noise.Next();
    const double q = signal.imag() + noise.Next();
    out[n] = {static_cast<float>(i), static_cast<float>(q)};
    carrierPhase = std::remainder(carrierPhase + 2 * kPi * frequency / rate, 2 * kPi);
  }
  BandLimit(out, rate, options.bandLimitHz);
  return out;
}

std::vector<std::uint8_t> DiscriminatorAudio(const std::vector<std::complex<float>>& iq,
                                             double unitsPerRadian) {
  std::vector<std::uint8_t> out(iq.size());
  std::complex<float> previous = iq.empty() ? std::complex<float>{} : iq.front();
  for (std::size_t n = 0; n < iq.size(); ++n) {
    const double turn = std::arg(iq[n] * std::conj(previous));
    previous = iq[n];
    out[n] =
        static_cast<std::uint8_t>(std::clamp(std::lround(128.0 + unitsPerRadian * turn), 0L, 255L));
  }
  return out;
}

}  // namespace vantrel::synth
