// Capture of either kind started, polled and stopped: the sound-card part
// (audio/sound_card_capture.h) is polled by the 500 ms timer and each second
// it recorded is decoded; a device that fails is retried every 2 s.
#include "document/vantrel_doc.h"

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

void VantrelDoc::OnWaveError(const std::string& prefix, int code) {
  host().ShowMessage(prefix + WaveErrorText(code));
}

void VantrelDoc::EnumerateSoundCards() {
  soundCard_.ForEachDevice([this](int device, const std::string& name) {
    deviceName[std::size_t(device)] = name;
    deviceId[std::size_t(device)] = device;
  });
}

void VantrelDoc::StartCapture() {
  if (!missingSdrSource.empty()) {
    StopCaptureRetries();
    host().ShowMessage("On opening the SDR receiver..\"" + missingSdrSource + "\" is not present");
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
  // A slot outside the four menu slots (a damaged setting) opens the default
  // input; an SDR slot chosen while the sound card is retried waits for Start.
  const int slot = soundCardSlot;
  if (SlotIsSdr(slot) || !missingSdrSource.empty()) return false;
  // A program started while no audio server ran has no sources yet; the
  // SDR receivers then move up behind the sound cards found now.
  if (soundCard_.waveIn() != nullptr && deviceId[0] < 0) {
    EnumerateSoundCards();
    EnumerateSdrReceivers();
  }
  const int device = slot >= 0 && slot < kSoundCardSlots ? deviceId[slot] : kWaveMapper;
  if (!soundCard_.Open(device, quiet)) return false;
  EnterCaptureRunning();
  search_.SetWriteIndex(0);
  return true;
}

void VantrelDoc::EnterCaptureRunning() {
  captureRunning = true;
  host().SetMainWindowTitle(kTitleRunning);
  pollTimerId = host().SetViewTimer(kPollTimerEvent, kPollMilliseconds);
  refreshTimerId = host().SetViewTimer(kRefreshTimerEvent, kRefreshMilliseconds);
  host().UpdateAllViews();
}

void VantrelDoc::PollCapture() {
  if (captureRunning && sdr_.running()) {
    PollSdrCapture();
    return;
  }
  // A tick already queued when stop killed the timers takes nothing.
  if (captureRunning && soundCard_.TakeSecond()) FeedBuffer();
}

void VantrelDoc::StopCapture() {
  StopCaptureRetries();
  if (captureRunning) {
    captureRunning = false;
    sdr_.Stop();  // the band thread ends
    soundCard_.Close();
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
  OnWaveError("On recording..", code);
}

void VantrelDoc::OnRecordingEnded() {
  if (!captureRunning) return;
  // The buffers done by now hold the recording's last samples: decode them
  // before the stop hands them back.
  for (int i = 0; i < SoundCardCapture::kBuffers; ++i) PollCapture();
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
