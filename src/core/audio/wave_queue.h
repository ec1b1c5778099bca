// The device side of a wave-input handle, shared by the implementations:
// the queue of added buffers, filled strictly in queue order from the audio
// as it arrives, each marked done when full.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "audio/wave_in.h"

namespace vantrel {

class WaveQueue {
 public:
  // Validates and appends a prepared header; clears its done flag.
  int Add(WaveHeader& header);
  // Copies audio into the queued buffers; returns the bytes that found no
  // buffer (the queue ran dry) and were dropped.
  std::size_t Fill(const std::uint8_t* data, std::size_t count);
  // Marks every queued buffer done with what it holds and empties the queue.
  void ReturnAll();
  bool empty() const { return queue_.empty(); }
  std::size_t size() const { return queue_.size(); }

 private:
  std::deque<WaveHeader*> queue_;
};

// Checks shared by the implementations.
int PrepareWaveHeader(WaveHeader& header);
int UnprepareWaveHeader(WaveHeader& header);

}  // namespace vantrel
