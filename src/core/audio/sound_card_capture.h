// Sound-card capture: four one-second buffers kept queued at the wave-input
// device and taken back in turn. Each completed buffer is copied to the
// recorded second and queued again at once; the caller decodes the copy.
// Failed calls, a device that fails on its own and the end of a recording
// played as the input are told through CaptureEvents.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/wave_in.h"

namespace vantrel {

class CaptureEvents {
 public:
  virtual ~CaptureEvents() = default;
  // A wave call failed: prefix names the step ("On opening the wave device..").
  virtual void OnWaveError(const std::string& prefix, int code) = 0;
  // The open device failed on its own while recording.
  virtual void OnCaptureFailure(int code) = 0;
  // A recording played as the input is over.
  virtual void OnRecordingEnded() = 0;
};

class SoundCardCapture {
 public:
  static constexpr int kBuffers = 4;

  explicit SoundCardCapture(CaptureEvents& events);
  ~SoundCardCapture();
  SoundCardCapture(const SoundCardCapture&) = delete;
  SoundCardCapture& operator=(const SoundCardCapture&) = delete;

  // The wave-input handle (not owned; null when the program has no audio system).
  WaveIn* waveIn() const { return waveIn_; }
  void SetWaveIn(WaveIn* waveIn) { waveIn_ = waveIn; }

  // Calls found for each of the first four devices whose name can be read.
  void ForEachDevice(const std::function<void(int device, const std::string& name)>& found) const;
  // Opens device, queues the buffers and starts recording; failed calls are
  // told unless quiet. False, with the device closed again, when it fails.
  bool Open(int device, bool quiet);
  // Takes the next completed buffer into recordedSecond() and queues it
  // again; false when it is not done yet or nothing is open.
  bool TakeSecond();
  // Gives the buffers back and closes the device; nothing when not open.
  void Close();
  bool isOpen() const { return headers_[0] != nullptr; }

  // The copy of the last completed buffer (mid-level silence at first).
  const std::vector<std::uint8_t>& recordedSecond() const { return recorded_; }
  // The buffer the next TakeSecond looks at, and the headers while open.
  int currentBuffer() const { return current_; }
  const WaveHeader* header(int buffer) const { return headers_[std::size_t(buffer)].get(); }

 private:
  void Release();

  CaptureEvents& events_;
  WaveIn* waveIn_ = nullptr;
  // The headers exist from a successful open to the next close; the buffers
  // live as long as the part.
  std::array<std::unique_ptr<WaveHeader>, kBuffers> headers_;
  std::array<std::vector<std::uint8_t>, kBuffers> buffers_;
  int current_ = 0;
  std::vector<std::uint8_t> recorded_;
};

}  // namespace vantrel
