// Our wave-input interface: the operations capture needs from a sound-card
// input, with the platform's general error codes. The device fills queued
// buffers in queue order and marks each done with the number of bytes
// recorded; the program only polls the flags, so there is no callback and
// no thread of ours. The Linux implementation lives in src/platform.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "base/sample_rate.h"

namespace vantrel {

// Device id that opens the system's default input.
constexpr int kWaveMapper = -1;
constexpr int kCaptureBufferBytes = kCaptureSampleRate;  // one second

// Result codes of the wave calls. 1..20 are the general codes with the
// descriptions of WaveErrorText; 32 and above are wave-specific.
enum WaveResult : int {
  kWaveOk = 0,
  kWaveErrorUnspecified = 1,
  kWaveBadDeviceId = 2,
  kWaveNotEnabled = 3,
  kWaveAllocated = 4,
  kWaveInvalidHandle = 5,
  kWaveNoDriver = 6,
  kWaveNoMemory = 7,
  kWaveNotSupported = 8,
  kWaveInvalidParam = 11,
  kWaveBadFormat = 32,
  kWaveStillPlaying = 33,
  kWaveUnprepared = 34,
};

// The description shown after a failed call's prefix; "Unknown error" for
// any code outside 1..20.
std::string WaveErrorText(int code);

// The only format capture opens: PCM, mono, 48000 samples/s, 8-bit unsigned.
struct WaveFormat {
  int formatTag = 1;
  int channels = 1;
  int samplesPerSecond = kCaptureSampleRate;
  int averageBytesPerSecond = kCaptureSampleRate;
  int blockAlign = 1;
  int bitsPerSample = 8;
  int extraSize = 0;

  bool IsCaptureFormat() const {
    return formatTag == 1 && channels == 1 && samplesPerSecond == kCaptureSampleRate &&
           averageBytesPerSecond == kCaptureSampleRate && blockAlign == 1 && bitsPerSample == 8 &&
           extraSize == 0;
  }
};

// Header flags.
constexpr std::uint32_t kWaveHeaderDone = 0x01;
constexpr std::uint32_t kWaveHeaderPrepared = 0x02;
constexpr std::uint32_t kWaveHeaderInQueue = 0x10;

// One buffer handed to the device. The device writes data, bytesRecorded
// and flags while the header is queued; the program reads them only once
// the done flag is set.
struct WaveHeader {
  std::uint8_t* data = nullptr;
  std::uint32_t bufferLength = 0;
  std::uint32_t bytesRecorded = 0;
  std::uint32_t flags = 0;
};

struct WaveInCaps {
  std::string productName;
};

// One wave-input handle: at most one device open at a time.
class WaveIn {
 public:
  virtual ~WaveIn() = default;

  virtual int DeviceCount() = 0;
  virtual int GetDeviceCaps(int deviceId, WaveInCaps& caps) = 0;
  virtual int Open(int deviceId, const WaveFormat& format) = 0;
  virtual int PrepareHeader(WaveHeader& header) = 0;
  virtual int AddBuffer(WaveHeader& header) = 0;
  virtual int Start() = 0;
  // Stops recording and returns every queued buffer marked done.
  virtual int Reset() = 0;
  virtual int UnprepareHeader(WaveHeader& header) = 0;
  virtual int Close() = 0;

  // Called on the program's thread when an open device fails on its own
  // (for example the audio server went away); the code says why.
  void SetFailureHandler(std::function<void(int code)> handler) {
    failureHandler_ = std::move(handler);
  }
  // Called on the program's thread when a recording played as an input has
  // ended and every buffer holding its samples is done.
  void SetEndHandler(std::function<void()> handler) { endHandler_ = std::move(handler); }

 protected:
  void ReportFailure(int code) {
    if (failureHandler_) failureHandler_(code);
  }
  void ReportEnd() {
    if (endHandler_) endHandler_();
  }

 private:
  std::function<void(int)> failureHandler_;
  std::function<void()> endHandler_;
};

}  // namespace vantrel
