#include "audio/sound_card_capture.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

std::string WaveErrorText(int code) {
  static constexpr const char* kTexts[] = {
      "unspecified error",
      "device ID out of range",
      "driver failed enable",
      "device already allocated",
      "device handle is invalid",
      "no device driver present",
      "memory allocation error",
      "function isn't supported",
      "error value out of range",
      "invalid flag passed",
      "invalid parameter passed",
      "handle being used simultaneously on another thread (eg callback)",
      "specified alias not found",
      "bad registry database",
      "registry key not found",
      "registry read error",
      "registry write error",
      "registry delete error",
      "registry value not found",
      "driver does not call DriverCallback",
  };
  if (code < 1 || code > 20) return "Unknown error";
  return kTexts[code - 1];
}

SoundCardCapture::SoundCardCapture(CaptureEvents& events)
    : events_(events), recorded_(kCaptureBufferBytes, 128) {
  for (auto& buffer : buffers_) buffer.assign(kCaptureBufferBytes, 128);
}

SoundCardCapture::~SoundCardCapture() = default;

void SoundCardCapture::ForEachDevice(
    const std::function<void(int device, const std::string& name)>& found) const {
  if (waveIn_ == nullptr) return;
  // The count is asked again after every device, as devices may come and go.
  for (int d = 0; d < waveIn_->DeviceCount(); ++d) {
    WaveInCaps caps;
    if (waveIn_->GetDeviceCaps(d, caps) == kWaveOk && d < 4) found(d, caps.productName);
  }
}

bool SoundCardCapture::Open(int device, bool quiet) {
  const auto tell = [&](const char* prefix, int code) {
    if (!quiet) events_.OnWaveError(prefix, code);
  };
  if (waveIn_ == nullptr) {
    tell("On opening the wave device..", kWaveNoDriver);
    return false;
  }
  waveIn_->SetFailureHandler([this](int code) { events_.OnCaptureFailure(code); });
  waveIn_->SetEndHandler([this] { events_.OnRecordingEnded(); });
  int result = waveIn_->Open(device, WaveFormat{});
  if (result != kWaveOk) {
    tell("On opening the wave device..", result);
    return false;
  }

  bool lastAddFailed = false;
  for (std::size_t i = 0; i < kBuffers; ++i) {
    headers_[i] = std::make_unique<WaveHeader>();
    headers_[i]->data = buffers_[i].data();
    headers_[i]->bufferLength = kCaptureBufferBytes;
    result = waveIn_->PrepareHeader(*headers_[i]);
    if (result != kWaveOk) tell("On preparing buffer ..", result);
    result = waveIn_->AddBuffer(*headers_[i]);
    if (result != kWaveOk) tell("On adding buffer ..", result);
    lastAddFailed = result != kWaveOk;
  }
  if (lastAddFailed) {
    Release();
    return false;
  }

  result = waveIn_->Start();
  if (result != kWaveOk) {
    tell("On starting recording..", result);
    Release();
    return false;
  }
  current_ = 0;
  return true;
}

bool SoundCardCapture::TakeSecond() {
  // A tick already queued when stop closed the device finds no headers.
  if (waveIn_ == nullptr || !isOpen()) return false;
  WaveHeader* header = headers_[std::size_t(current_)].get();
  // A buffer whose queueing failed at start is never filled; waiting for it
  // would stall capture for good, so pass over it to the next queued one.
  for (int skipped = 0;
       skipped < kBuffers && (header->flags & (kWaveHeaderDone | kWaveHeaderInQueue)) == 0;
       ++skipped) {
    current_ = (current_ + 1) % kBuffers;
    header = headers_[std::size_t(current_)].get();
  }
  if ((header->flags & kWaveHeaderDone) == 0) return false;

  const std::size_t count = std::min<std::size_t>(header->bytesRecorded, recorded_.size());
  std::memcpy(recorded_.data(), header->data, count);
  waveIn_->AddBuffer(*header);
  current_ = (current_ + 1) % kBuffers;
  return true;
}

void SoundCardCapture::Close() {
  if (isOpen() && waveIn_ != nullptr) Release();
}

// Gives the buffers back and closes the device: used by close, and by an
// open that failed after opening, so that a later open finds the device
// closed and no headers are left behind.
void SoundCardCapture::Release() {
  waveIn_->Reset();
  for (auto& header : headers_) {
    if (header && (header->flags & kWaveHeaderPrepared) != 0) waveIn_->UnprepareHeader(*header);
  }
  waveIn_->Close();
  for (auto& header : headers_) header.reset();
}

}  // namespace vantrel
