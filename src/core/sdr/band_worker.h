// Runs an opened SDR receiver on a thread of its own: the samples are read
// and go through the band receiver there, off the program's thread, which
// collects the settled packets, the spectra and a failure by polling.
//
// A stalled driver or a pipe whose writer paused can keep a read from
// returning for as long as it likes, so nobody waits for the thread: the
// worker's destructor asks it to stop, waits at most kStopWaitMs, and leaves
// a thread not back by then to finish on its own; what it reads is ignored.
#pragma once

#include <atomic>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sdr/sdr_input.h"
#include "sdr/sdr_receiver.h"

namespace vantrel::sdr {

class BandWorker {
 public:
  explicit BandWorker(std::unique_ptr<BandReader> reader);
  ~BandWorker();
  BandWorker(const BandWorker&) = delete;
  BandWorker& operator=(const BandWorker&) = delete;

  // Packets settled since the last call, oldest first.
  std::vector<SdrPacket> TakePackets();
  // Spectra averaged since the last call, oldest first.
  std::vector<SpectrumSnapshot> TakeSpectra();
  // Why the receiver failed, once; nothing while it runs well.
  std::optional<std::string> TakeFailure();
  // True once the input has ended or failed and its last packets and any
  // failure are waiting to be taken: ask first, then take them.
  bool Ended() const { return shared_->ended; }

  // A minute of spectra is kept for a caller that does not poll.
  static constexpr std::size_t kMaxSpectra = 120;
  static constexpr int kStopWaitMs = 1000;

 private:
  // What the thread uses; it keeps this alive for as long as it runs.
  struct Shared {
    explicit Shared(std::unique_ptr<BandReader> reader);
    void Run();
    // final: the input is over; the spectrum of its last, partly silent
    // check would show noise and phantom carriers, so the one before stays.
    void Deliver(bool final = false);

    std::unique_ptr<BandReader> reader;
    SdrReceiver receiver;  // used by the thread only
    int spectrumSerial = 0;

    std::mutex mutex;
    std::vector<SdrPacket> packets;
    std::vector<SpectrumSnapshot> spectra;
    std::optional<std::string> failure;

    std::atomic<bool> stop{false};
    std::atomic<bool> ended{false};
    bool spectrumDelivered = false;  // used by the thread only
  };

  std::shared_ptr<Shared> shared_;
  std::future<void> finished_;  // ready once the thread has closed the reader
};

}  // namespace vantrel::sdr
