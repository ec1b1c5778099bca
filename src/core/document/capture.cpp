// Sound-card capture: four one-second buffers kept queued at the wave-input
// device, polled in turn by the 500 ms timer; each completed buffer is
// copied to the processing buffer, queued again at once and then decoded.
#include <algorithm>
#include <cstring>

#include "document/vantrel_doc.h"
#include "sdr/band_worker.h"

namespace vantrel {

namespace {

constexpr const char* kTitleRunning = "Vantrel from Brennick - processing live signals";
constexpr const char* kTitleStopped = "Vantrel from Brennick - processing stopped";
constexpr int kPollTimerEvent = 1;
constexpr int kPollMilliseconds = 500;
constexpr int kRefreshTimerEvent = 2;
constexpr int kRefreshMilliseconds = 2000;
constexpr int kRetryTimerEvent = 3;
constexpr int kRetryMilliseconds = 2000;
constexpr const char* kCaptureBackText = "The audio input is back: processing live signals again";

}  // namespace

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

void VantrelDoc::ShowWaveError(const std::string& prefix, int code) {
  host().ShowMessage(prefix + WaveErrorText(code));
}

void VantrelDoc::EnumerateSoundCards() {
  if (waveIn == nullptr) return;
  // The count is asked again after every device, as devices may come and go.
  for (int d = 0; d < waveIn->DeviceCount(); ++d) {
    WaveInCaps caps;
    if (waveIn->GetDeviceCaps(d, caps) == kWaveOk && d < 4) {
      deviceName[d] = caps.productName;
      deviceId[d] = d;
    }
  }
}

// Gives the buffers back and closes the device: used by stop, and by a start
// that failed after opening, so that a later start finds the device closed
// and no headers are left behind.
static void ReleaseDevice(
    WaveIn& waveIn, std::array<std::unique_ptr<WaveHeader>, VantrelDoc::kCaptureBuffers>& headers) {
  waveIn.Reset();
  for (auto& header : headers) {
    if (header && (header->flags & kWaveHeaderPrepared) != 0) waveIn.UnprepareHeader(*header);
  }
  waveIn.Close();
  for (auto& header : headers) header.reset();
}

void VantrelDoc::StartCapture() {
  if (!missingSdrSource.empty()) {
    StopCaptureRetries();
    host().ShowMessage("On opening the SDR receiver..the SDR receiver \"" + missingSdrSource +
                       "\" is not present");
    return;
  }
  if (SlotIsSdr(soundCardSlot)) {
    StopCaptureRetries();
    StartSdrCapture(sdrDevice[static_cast<std::size_t>(soundCardSlot)]);
    return;
  }
  if (OpenCapture(false)) StopCaptureRetries();
}

bool VantrelDoc::OpenCapture(bool quiet) {
  const auto showWaveError = [&](const char* prefix, int code) {
    if (!quiet) ShowWaveError(prefix, code);
  };
  // A slot outside the four menu slots (a damaged setting) opens the default
  // input; an SDR slot chosen while the sound card is retried waits for Start.
  const int slot = soundCardSlot;
  if (SlotIsSdr(slot) || !missingSdrSource.empty()) return false;
  if (waveIn == nullptr) {
    showWaveError("On opening the wave device..", kWaveNoDriver);
    return false;
  }
  waveIn->SetFailureHandler([this](int code) { OnCaptureFailure(code); });
  waveIn->SetEndHandler([this] { OnRecordingEnded(); });
  // A program started while no audio server ran has no sources yet; the
  // SDR receivers then move up behind the sound cards found now.
  if (deviceId[0] < 0) {
    EnumerateSoundCards();
    EnumerateSdrReceivers();
  }

  const int device = slot >= 0 && slot < kSoundCardSlots ? deviceId[slot] : kWaveMapper;
  int result = waveIn->Open(device, WaveFormat{});
  if (result != kWaveOk) {
    showWaveError("On opening the wave device..", result);
    return false;
  }

  bool lastAddFailed = false;
  for (int i = 0; i < kCaptureBuffers; ++i) {
    captureHeaders[i] = std::make_unique<WaveHeader>();
    captureHeaders[i]->data = captureBuffers[i].data();
    captureHeaders[i]->bufferLength = kCaptureBufferBytes;
    result = waveIn->PrepareHeader(*captureHeaders[i]);
    if (result != kWaveOk) showWaveError("On preparing buffer ..", result);
    result = waveIn->AddBuffer(*captureHeaders[i]);
    if (result != kWaveOk) showWaveError("On adding buffer ..", result);
    lastAddFailed = result != kWaveOk;
  }
  if (lastAddFailed) {
    ReleaseDevice(*waveIn, captureHeaders);
    return false;
  }

  result = waveIn->Start();
  if (result != kWaveOk) {
    showWaveError("On starting recording..", result);
    ReleaseDevice(*waveIn, captureHeaders);
    return false;
  }

  currentCaptureBuffer = 0;
  EnterCaptureRunning();
  search_.SetWriteIndex(0);
  return true;
}

void VantrelDoc::EnterCaptureRunning() {
  captureRunning = 1;
  host().SetMainWindowTitle(kTitleRunning);
  pollTimerId = host().SetViewTimer(kPollTimerEvent, kPollMilliseconds);
  refreshTimerId = host().SetViewTimer(kRefreshTimerEvent, kRefreshMilliseconds);
  host().UpdateAllViews();
}

void VantrelDoc::PollCapture() {
  // A tick already queued when stop killed the timers finds no headers.
  if (captureRunning && sdrWorker) {
    PollSdrCapture();
    return;
  }
  if (!captureRunning || waveIn == nullptr) return;
  WaveHeader* header = captureHeaders[currentCaptureBuffer].get();
  if (header == nullptr) return;
  // A buffer whose queueing failed at start is never filled; waiting for it
  // would stall capture for good, so pass over it to the next queued one.
  for (int skipped = 0;
       skipped < kCaptureBuffers && (header->flags & (kWaveHeaderDone | kWaveHeaderInQueue)) == 0;
       ++skipped) {
    currentCaptureBuffer = (currentCaptureBuffer + 1) % kCaptureBuffers;
    header = captureHeaders[currentCaptureBuffer].get();
  }
  if ((header->flags & kWaveHeaderDone) == 0) return;

  const std::size_t count = std::min<std::size_t>(header->bytesRecorded, processingBuffer.size());
  std::memcpy(processingBuffer.data(), header->data, count);
  waveIn->AddBuffer(*header);
  currentCaptureBuffer = (currentCaptureBuffer + 1) % kCaptureBuffers;
  FeedBuffer();
}

void VantrelDoc::StopCapture() {
  StopCaptureRetries();
  if (captureRunning) {
    captureRunning = 0;
    sdrWorker.reset();  // waits for the band thread to end
    if (captureHeaders[0] && waveIn != nullptr) ReleaseDevice(*waveIn, captureHeaders);
    host().KillViewTimer(refreshTimerId);
    host().KillViewTimer(pollTimerId);
  }
  host().SetMainWindowTitle(kTitleStopped);
}

void VantrelDoc::OnCaptureFailure(int code) {
  if (!captureRunning) return;
  // Stop first: the message box waits for the user while timers still run,
  // and so does the retry that starts capture again once the input is back.
  StopCapture();
  RetryCaptureUntilItRuns();
  ShowWaveError("On recording..", code);
}

void VantrelDoc::OnRecordingEnded() {
  if (!captureRunning) return;
  // The buffers done by now hold the recording's last samples: decode them
  // before the stop hands them back.
  for (int i = 0; i < kCaptureBuffers; ++i) PollCapture();
  StopCapture();
  // The refresh timer that would have shown their lines is gone with the stop.
  host().UpdateAllViews();
  host().ShowStatus(kRecordingEndedText);
}

void VantrelDoc::RetryCaptureUntilItRuns() {
  if (retryTimerId == 0 && !captureRunning)
    retryTimerId = host().SetViewTimer(kRetryTimerEvent, kRetryMilliseconds);
}

void VantrelDoc::RetryCapture() {
  if (captureRunning) {
    StopCaptureRetries();
  } else if (OpenCapture(true)) {
    StopCaptureRetries();
    host().ShowStatus(kCaptureBackText);
  }
}

void VantrelDoc::StopCaptureRetries() {
  if (retryTimerId == 0) return;
  host().KillViewTimer(retryTimerId);
  retryTimerId = 0;
}

}  // namespace vantrel
