// SDR capture: an opened receiver's band runs on its own thread
// (sdr/band_worker.h); each poll on the program's thread hands over its
// packets in the order they were sent, keeps its spectra for the Spectrum
// screen (the latest, and a minute of them for the waterfall) and tells
// when its input ended or failed.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sdr/sdr_input.h"
#include "sdr/sdr_receiver.h"
#include "sdr/spectrum_snapshot.h"

namespace vantrel::sdr {

class BandWorker;

// What the Spectrum screen draws of the band.
struct BandDisplay {
  static constexpr std::size_t kWaterfallRows = 120;
  SpectrumSnapshot spectrum;
  std::deque<std::vector<float>> waterfall;  // oldest first
  // The input ended (a recording's end, or a receiver that failed):
  // spectrum and waterfall are its last good ones.
  bool inputEnded = false;
};

class SdrCapture {
 public:
  SdrCapture();
  ~SdrCapture();
  SdrCapture(const SdrCapture&) = delete;
  SdrCapture& operator=(const SdrCapture&) = delete;

  // Lists and opens the receivers (not owned; null without SDR support).
  SdrInput* input() const { return input_; }
  void SetInput(SdrInput* input) { input_ = input; }

  // Opens device at tuning and starts its band thread with a fresh display;
  // false with *error saying why when it cannot be opened.
  bool Start(int device, const SdrTuning& tuning, std::string* error);
  // Ends the band thread (without waiting for a read that hangs).
  void Stop();
  bool running() const { return worker_ != nullptr; }

  struct Poll {
    std::vector<SdrPacket> packets;  // oldest first
    bool newSpectrum = false;
    bool ended = false;                  // the input is over: stop now
    std::optional<std::string> failure;  // with ended: why the receiver failed
  };
  // Takes what the band thread has found since the last poll.
  Poll TakeNews();

  const BandDisplay& display() const { return display_; }
  BandDisplay& display() { return display_; }

 private:
  SdrInput* input_ = nullptr;
  std::unique_ptr<BandWorker> worker_;
  BandDisplay display_;
};

}  // namespace vantrel::sdr
