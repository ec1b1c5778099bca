// Runs an opened SDR receiver on a thread of its own: the samples are read
// and go through the band receiver there, off the program's thread, which
// collects the settled packets, the spectra and a failure by polling.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sdr/sdr_input.h"
#include "sdr/sdr_receiver.h"

namespace vantrel::sdr {

class BandWorker {
 public:
  explicit BandWorker(std::unique_ptr<BandReader> reader);
  ~BandWorker();  // stops the thread
  BandWorker(const BandWorker&) = delete;
  BandWorker& operator=(const BandWorker&) = delete;

  // Packets settled since the last call, oldest first.
  std::vector<SdrPacket> TakePackets();
  // Spectra averaged since the last call, oldest first.
  std::vector<SpectrumSnapshot> TakeSpectra();
  // Why the receiver failed, once; nothing while it runs well.
  std::optional<std::string> TakeFailure();

  // A minute of spectra is kept for a caller that does not poll.
  static constexpr std::size_t kMaxSpectra = 120;

 private:
  void Run();
  void Deliver();

  std::unique_ptr<BandReader> reader_;
  SdrReceiver receiver_;  // used by the thread only
  int spectrumSerial_ = 0;

  std::mutex mutex_;
  std::vector<SdrPacket> packets_;
  std::vector<SpectrumSnapshot> spectra_;
  std::optional<std::string> failure_;

  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace vantrel::sdr
