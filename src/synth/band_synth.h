// Several downlinks in one SDR band, as an SDR hands them over: each
// satellite's complex baseband (with its own Eb/N0, Doppler offset and
// drift) moved to its place in the band, one noise floor for the band, and
// the result in any of the IQ sample formats.
#pragma once

#include <complex>
#include <cstdint>
#include <vector>

#include "sdr/iq_format.h"
#include "synth/baseband_synth.h"
#include "synth/packet_builder.h"

namespace vantrel::synth {

struct BandSatellite {
  double channelHz = 0.0;  // nominal downlink, offset from the band's centre
  double dopplerHz = 0.0;  // offset from it at the first sample
  double driftHzPerSecond = 0.0;
  double ebN0Db = 12.0;
  bool inverted = false;
  int leadInBits = 0;  // a satellite rising later: a long lead-in
  PulseShape shape = PulseShape::PhaseRamp;
  double fadeDb = 0.0;          // slow fades this deep,
  double fadeSeconds = 10.0;    // one every this long
  std::vector<Packet> packets;  // sent back to back
};

// Other signals in the band.
struct BandInterferer {
  enum class Kind {
    Spur,      // an unmodulated line
    AnalogFm,  // a carrier frequency-modulated by a 2400 Hz tone, 17 kHz deviation
    Wide,      // noise about 120 kHz wide, as a wide digital signal
  };
  Kind kind = Kind::Spur;
  double hz = 0.0;        // centre, from the band's centre
  double powerDb = 20.0;  // power over the band's noise in one downlink's 5 kHz
};

struct BandOptions {
  double sampleRate = 1228800.0;
  double seconds = 1.0;    // band length; signals longer than this are cut
  double noiseRms = 0.05;  // band noise per I or Q component (full scale 1)
  std::vector<BandInterferer> interferers{};
  std::uint32_t seed = 1;
};

std::vector<std::complex<float>> SynthesizeBand(const std::vector<BandSatellite>& satellites,
                                                const BandOptions& options);

// Interleaved bytes of the format, clipped to its range.
std::vector<std::uint8_t> EncodeIq(const std::vector<std::complex<float>>& samples,
                                   sdr::IqFormat format);

// count packets as a downlink sends them: a sync packet naming fm every
// twentieth packet, fill packets of random content between.
std::vector<Packet> DownlinkPackets(int fm, int count, std::uint32_t seed);

}  // namespace vantrel::synth
