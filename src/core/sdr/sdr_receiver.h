// Every downlink in an SDR band at once. Band samples go through one
// transform; the averaged spectrum is searched for carriers every half
// second, each carrier found gets a channel that tracks it, and a channel
// whose hump has been missing for a while is closed. Packets of all
// channels come out together in the order they were sent.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "sdr/band_transform.h"
#include "sdr/sdr_channel.h"
#include "sdr/spectrum_snapshot.h"

namespace vantrel::sdr {

class SdrReceiver {
 public:
  // centreHz: the receiver's tuning, when known; packets then carry
  // absolute carrier frequencies.
  SdrReceiver(double sampleRate, std::optional<double> centreHz);

  void Push(const Complex* samples, std::size_t count);
  // End of the stream: the packets still waiting in the finders.
  void Finish();
  // Packets whose place in time is settled, oldest first. A carrier found at
  // a check gets a channel that first replays the blocks since the previous
  // check, so packets are held back until no new channel can still find an
  // earlier one (about 0.6 s); after Finish, all of them.
  std::vector<SdrPacket> TakePackets();

  double sampleRate() const { return band_.sampleRate(); }
  std::int64_t samplesPushed() const { return pushed_; }
  const SpectrumSnapshot& spectrum() const { return spectrum_; }
  // Bumped whenever spectrum() changes.
  int spectrumSerial() const { return spectrumSerial_; }

  static constexpr int kSpectrumPoints = 1024;

 private:
  void OnBlock(const Complex* block, std::int64_t firstSample);
  void CheckCarriers();

  BandTransform band_;
  std::optional<double> centreHz_;
  std::vector<std::unique_ptr<SdrChannel>> channels_;
  void OpenChannel(double carrierHz);
  void DropRepeats(int lost, int replaced);
  // Closes channel index and opens one at carrierHz over the replayed blocks.
  void Reopen(std::size_t index, double carrierHz);

  std::vector<SdrPacket> packets_;  // sorted by sample
  // The transforms since the last check, replayed into a channel opened at it.
  std::vector<std::vector<Complex>> history_;
  std::vector<std::int64_t> historyFirst_;
  bool finished_ = false;
  std::vector<double> power_;  // |X|² summed since the last check
  int blocksSummed_ = 0;
  int blocksPerCheck_;
  int nextId_ = 1;
  std::int64_t pushed_ = 0;
  SpectrumSnapshot spectrum_;
  int spectrumSerial_ = 0;
};

}  // namespace vantrel::sdr
