// The sensitive demodulator for 48 kHz discriminator audio.
//
// Each sample is the carrier's frequency, so a bit is a frequency pulse whose
// area is the bit's +-90 degree phase turn. The demodulator
// - filters the audio with a matched filter for that pulse, choosing among
//   a few pulse widths the one whose output stands highest over the noise;
// - tracks the receiver's slowly drifting DC offset and the pulse gain from
//   its own bit decisions, instead of assuming a fixed level;
// - recovers the bit clock from where the filter's output energy peaks and
//   follows it, so sound cards that run a little fast or slow still decode;
// - after a pause (silence, noise, unmodulated carrier, a fade) takes the
//   clock and levels afresh from the first bits of the signal that comes
//   back, and reads those bits again with them;
// - reads bits where the discriminator clicked (a whole turn of phase in a
//   few samples when the signal fades) or clipped as the pulse area modulo a
//   full turn, and marks them unreliable;
// and hands one soft bit per bit to the soft-bit packet finder, which tries
// both polarities and corrects errors.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "demod/liquid_dsp.h"
#include "demod/soft_packet_finder.h"

namespace vantrel {

class SensitiveDemodulator {
 public:
  explicit SensitiveDemodulator(SoftPacketFinder::Handler handler);
  ~SensitiveDemodulator();
  SensitiveDemodulator(const SensitiveDemodulator&) = delete;
  SensitiveDemodulator& operator=(const SensitiveDemodulator&) = delete;

  void Feed(const std::uint8_t* samples, int count);
  // Forgets the signal (capture restarted, another recording).
  void Reset();

 private:
  static constexpr int kTaps = 9;
  // Samples and filter outputs kept, a power of two: enough to read the
  // bits since a signal came back once more.
  static constexpr int kHistory = 1024;

  void Strobe();
  void UseShape(int shape);
  // Scores every candidate pulse width on the bit just read.
  void ScoreShapes(long long n0, float frac);
  // Takes the clock and levels from the bits since the signal came back and
  // moves the strobe back to read them again.
  void Reacquire();

  struct FilterDeleter {
    void operator()(firfilt_rrrf filter) const { firfilt_rrrf_destroy(filter); }
  };

  SoftPacketFinder finder_;
  std::array<float, kTaps> taps_{};
  std::unique_ptr<std::remove_pointer_t<firfilt_rrrf>, FilterDeleter> filter_;
  std::vector<float> block_, blockFiltered_;
  float tapSum_ = 0.0f;              // filter gain for a constant level
  float tapEnergy_ = 0.0f;           // filter gain for a pulse of its own shape, per unit height
  std::array<float, kHistory> x_{};  // samples around the mid level
  std::array<std::uint8_t, kHistory> clipped_{};
  std::array<float, kHistory> filtered_{};  // filter output centred on each sample
  long long samples_ = 0;

  // Bit clock: the next bit's pulse centre in samples, and the bit period.
  double strobe_ = 0.0;
  double period_ = 10.0;
  std::array<float, 10> energy_{};  // filter output power at offsets -4..5 from the strobe
  // Tracked levels: DC offset (sample units), filter output of a clean bit,
  // and the sample sum over a clean bit (its 90-degree turn).
  float dc_ = 0.0f;
  float gain_ = 0.0f;
  float turn_ = 0.0f;
  float pulseLevel_ = 0.0f;  // filter output of a clean bit, held through gaps
  // Matched-filter candidates: each one's output power at the bits' centres
  // over its noise gain, averaged while there are pulses.
  static constexpr int kShapes = 2;
  std::array<float, kShapes> shapeScore_{};
  int shape_ = 0;
  int scoredBits_ = 0;
  bool refilter_ = false;  // the filter changed while a block was being read
  long long bits_ = 0;
  // Signal coming back: the filter output's power over whole bits, averaged
  // over a few bits and over many, and the bits read since it rose.
  float recentPower_ = 0.0f, longPower_ = 0.0f;
  int sinceRise_ = -1;  // -1: no rise being acquired
  int sinceReacquired_ = 0;
};

}  // namespace vantrel
