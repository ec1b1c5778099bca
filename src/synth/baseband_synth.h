// Complex-baseband rendering of the downlink as an SDR or a receiver's IF
// sees it: differential phase modulation (each bit turns the carrier's phase
// by +90 degrees for 1, -90 degrees for 0, along a smooth raised-cosine
// ramp), a carrier offset that may drift, Gaussian noise at a given Eb/N0
// and a band limit of about +-5 kHz. An FM discriminator turns it into the
// 8-bit audio a receiver's discriminator output gives.
#pragma once

#include <complex>
#include <cstdint>
#include <limits>
#include <vector>

#include "base/sample_rate.h"
#include "synth/packet_builder.h"

namespace vantrel::synth {

constexpr double kBitRate = 4800.0;

// How each bit's +-90 degree turn is shaped: a continuous phase ramp, or
// linear modulation (the symbols e^{j phase} through a root-raised-cosine
// filter, roll-off 0.4) as the satellites send it.
enum class PulseShape { PhaseRamp, RootRaisedCosine };

struct BasebandOptions {
  double sampleRate = kCaptureSampleRate;  // complex samples per second
  // Energy per bit over noise density in dB, signal amplitude 1; infinity: no noise.
  double ebN0Db = std::numeric_limits<double>::infinity();
  double carrierHz = 0.0;         // carrier offset from 0 Hz at the first sample
  double driftHzPerSecond = 0.0;  // change of that offset over time (Doppler)
  double bandLimitHz = 5000.0;    // low-pass edge; 0 or above half the rate: none
  double clockPpm = 0.0;          // bit clock error against the sample rate
  bool inverted = false;          // phase turns the other way
  int leadInBits = 0;             // unmodulated carrier before the first packet
  int idleBits = 0;               // unmodulated carrier after every packet
  PulseShape shape = PulseShape::PhaseRamp;
  std::uint32_t seed = 1;
};

// Packets' bytes, least significant bit first, as complex baseband.
std::vector<std::complex<float>> ModulateBaseband(const std::vector<Packet>& packets,
                                                  const BasebandOptions& options);

// FM discriminator: the phase change from each sample to the next, times
// unitsPerRadian, around the mid level 128 and clipped to 0..255.
std::vector<std::uint8_t> DiscriminatorAudio(const std::vector<std::complex<float>>& iq,
                                             double unitsPerRadian);

}  // namespace vantrel::synth
