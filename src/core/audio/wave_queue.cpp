#include "audio/wave_queue.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

int WaveQueue::Add(WaveHeader& header) {
  if (header.data == nullptr || header.bufferLength == 0) return kWaveInvalidParam;
  if ((header.flags & kWaveHeaderPrepared) == 0) return kWaveUnprepared;
  if ((header.flags & kWaveHeaderInQueue) != 0) return kWaveStillPlaying;
  header.flags = (header.flags & ~kWaveHeaderDone) | kWaveHeaderInQueue;
  header.bytesRecorded = 0;
  queue_.push_back(&header);
  return kWaveOk;
}

std::size_t WaveQueue::Fill(const std::uint8_t* data, std::size_t count) {
  while (count > 0 && !queue_.empty()) {
    WaveHeader& header = *queue_.front();
    const std::size_t room = header.bufferLength - header.bytesRecorded;
    const std::size_t n = std::min(room, count);
    std::memcpy(header.data + header.bytesRecorded, data, n);
    header.bytesRecorded += static_cast<std::uint32_t>(n);
    data += n;
    count -= n;
    if (header.bytesRecorded == header.bufferLength) {
      header.flags = (header.flags & ~kWaveHeaderInQueue) | kWaveHeaderDone;
      queue_.pop_front();
    }
  }
  return count;
}

void WaveQueue::ReturnAll() {
  for (WaveHeader* header : queue_) {
    header->flags = (header->flags & ~kWaveHeaderInQueue) | kWaveHeaderDone;
  }
  queue_.clear();
}

int PrepareWaveHeader(WaveHeader& header) {
  if (header.data == nullptr || header.bufferLength == 0) return kWaveInvalidParam;
  header.flags |= kWaveHeaderPrepared;
  return kWaveOk;
}

int UnprepareWaveHeader(WaveHeader& header) {
  if ((header.flags & kWaveHeaderInQueue) != 0) return kWaveStillPlaying;
  header.flags &= ~kWaveHeaderPrepared;
  return kWaveOk;
}

}  // namespace vantrel
