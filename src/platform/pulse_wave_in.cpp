#include "platform/pulse_wave_in.h"

#include <QString>

#include <algorithm>

namespace vantrel {

PulseWaveIn::PulseWaveIn(QObject* parent) : QObject(parent) {}

PulseWaveIn::~PulseWaveIn() {
  SetFailureHandler(nullptr);
  StopSource();
}

void PulseWaveIn::SetRecording(std::vector<std::uint8_t> samples, std::string name) {
  recording_ = std::make_unique<RecordingPlayer>(
      std::move(samples), std::move(name),
      [this](const std::uint8_t* data, std::size_t count) { Deliver(data, count); });
  recording_->SetEndHandler([this] {
    if (started_) ReportEnd();
  });
}

int PulseWaveIn::DeviceCount() {
  return static_cast<int>(live_.Sources().size()) + (recording_ != nullptr ? 1 : 0);
}

int PulseWaveIn::GetDeviceCaps(int deviceId, WaveInCaps& caps) {
  if (recording_ != nullptr && deviceId == 0) {
    caps.productName = recording_->name();
    return kWaveOk;
  }
  const int index = recording_ != nullptr ? deviceId - 1 : deviceId;
  const std::vector<PulseInput::Source> inputs = live_.Sources();
  if (index < 0 || static_cast<std::size_t>(index) >= inputs.size()) return kWaveBadDeviceId;
  if (enumerated_.size() <= static_cast<std::size_t>(index)) enumerated_.resize(index + 1);
  enumerated_[index] = inputs[index].name;
  // The receiver's texts are single-byte; Latin-1 covers what device names use.
  caps.productName = QString::fromStdString(inputs[index].description).toLatin1().toStdString();
  return kWaveOk;
}

int PulseWaveIn::Open(int deviceId, const WaveFormat& format) {
  if (mode_ != Mode::Closed) return kWaveAllocated;
  if (!format.IsCaptureFormat()) return kWaveBadFormat;
  if (recording_ != nullptr && deviceId == 0) {
    mode_ = Mode::Recording;
    return kWaveOk;
  }

  std::string name;  // empty: the server's default input
  if (deviceId != kWaveMapper) {
    const std::vector<PulseInput::Source> inputs = live_.Sources();
    if (inputs.empty()) return kWaveNoDriver;  // no audio server, or no input at all
    const int index = recording_ != nullptr ? deviceId - 1 : deviceId;
    if (index < 0) return kWaveBadDeviceId;
    // The slot stands for the device it was enumerated as, not whatever
    // now sits at that position in the list.
    const bool known =
        static_cast<std::size_t>(index) < enumerated_.size() && !enumerated_[index].empty();
    if (known) {
      const auto it = std::find_if(inputs.begin(), inputs.end(), [&](const PulseInput::Source& s) {
        return s.name == enumerated_[index];
      });
      if (it == inputs.end()) return kWaveBadDeviceId;  // the device went away
      name = it->name;
    } else {
      if (static_cast<std::size_t>(index) >= inputs.size()) return kWaveBadDeviceId;
      name = inputs[index].name;
    }
  }
  const auto result = live_.Open(
      name, kCaptureSampleRate,
      [this](const std::uint8_t* data, std::size_t count) { Deliver(data, count); },
      [this] { ReportFailure(kWaveNoDriver); });
  switch (result) {
    case PulseInput::OpenResult::Ok:
      break;
    case PulseInput::OpenResult::NoServer:
      return kWaveNoDriver;
    case PulseInput::OpenResult::NoSource:
      return deviceId == kWaveMapper ? kWaveNoDriver : kWaveBadDeviceId;
    case PulseInput::OpenResult::Failed:
      return kWaveAllocated;
  }
  mode_ = Mode::Live;
  return kWaveOk;
}

int PulseWaveIn::PrepareHeader(WaveHeader& header) {
  if (mode_ == Mode::Closed) return kWaveInvalidHandle;
  return PrepareWaveHeader(header);
}

int PulseWaveIn::AddBuffer(WaveHeader& header) {
  if (mode_ == Mode::Closed) return kWaveInvalidHandle;
  return queue_.Add(header);
}

int PulseWaveIn::Start() {
  if (mode_ == Mode::Closed) return kWaveInvalidHandle;
  if (mode_ == Mode::Recording) {
    recording_->Start();
  } else {
    live_.Flush();  // what arrived between open and start is not recorded
  }
  started_ = true;
  return kWaveOk;
}

int PulseWaveIn::Reset() {
  if (mode_ == Mode::Closed) return kWaveInvalidHandle;
  started_ = false;
  if (recording_) recording_->Stop();
  StopSource();
  queue_.ReturnAll();
  return kWaveOk;
}

int PulseWaveIn::UnprepareHeader(WaveHeader& header) {
  if (mode_ == Mode::Closed) return kWaveInvalidHandle;
  return UnprepareWaveHeader(header);
}

int PulseWaveIn::Close() {
  if (mode_ == Mode::Closed) return kWaveInvalidHandle;
  if (!queue_.empty()) return kWaveStillPlaying;
  started_ = false;
  if (recording_) recording_->Stop();
  StopSource();
  mode_ = Mode::Closed;
  return kWaveOk;
}

void PulseWaveIn::StopSource() { live_.Close(); }

void PulseWaveIn::Deliver(const std::uint8_t* data, std::size_t count) {
  if (!started_) return;
  dropped_ += queue_.Fill(data, count);
}

}  // namespace vantrel
