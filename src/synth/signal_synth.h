// Signal synthesizer: renders downlink packets as a receiver's FM
// discriminator hands them over on a sound-card input, and writes them as
// WAV files. Used by the tests, the benchmarks and the demo recording.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/sample_rate.h"
#include "synth/packet_builder.h"

namespace vantrel::synth {

constexpr int kSampleRate = kCaptureSampleRate;
constexpr int kSamplesPerBitSynth = 10;  // 4800 bit/s at 48000 samples/s

struct SynthOptions {
  double amplitude = 60.0;  // peak pulse height in sample units around the mid level 128
  double noise = 0.0;       // standard deviation of added Gaussian noise, sample units
  bool inverted = false;    // discriminator polarity: true flips every pulse's sign
  int leadInSamples = 0;    // mid-level (idle) samples before the first packet
  int idleBits = 0;         // idle bits between packets
  double clockPpm = 0.0;  // sound-card clock error: the bit period is 10 * (1 + ppm / 1e6) samples
  double dcOffset = 0.0;  // receiver off tune: a constant offset in sample units
  // Width of each bit's raised-cosine frequency pulse in samples, between its
  // zeros: 7 behind a narrow receiver filter, 5 behind a wider one.
  double pulseWidth = 7.0;
  std::uint32_t seed = 1;
};

// Unsigned 8-bit samples at 48000 Hz: the lead-in, then each packet's bytes
// least significant bit first, idleBits of mid level after every packet.
std::vector<std::uint8_t> SynthesizePackets(const std::vector<Packet>& packets,
                                            const SynthOptions& options);

// Mid-level samples (128) with Gaussian noise, for idle stretches and noise floors.
std::vector<std::uint8_t> SynthesizeNoise(int count, double noise, std::uint32_t seed);

struct WavFormat {
  int sampleRate = kSampleRate;
  int channels = 1;         // the signal goes to channel 0; other channels carry its mirror image
  bool sixteenBit = false;  // 16-bit signed PCM instead of 8-bit unsigned
};

// Writes samples as a WAV file with libsndfile; returns false (with the
// library's message in *error, when given) if the file cannot be written.
bool WriteWav(const std::string& path, const std::vector<std::uint8_t>& samples,
              const WavFormat& format = {}, std::string* error = nullptr);

}  // namespace vantrel::synth
