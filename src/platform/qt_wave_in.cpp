#include "platform/qt_wave_in.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QIODevice>
#include <QMediaDevices>
#include <QMetaObject>

#include <algorithm>

namespace vantrel {

namespace {

QAudioFormat CaptureFormat() {
  QAudioFormat format;
  format.setSampleRate(kCaptureSampleRate);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::UInt8);
  return format;
}

}  // namespace

QtWaveIn::QtWaveIn(QObject* parent) : QObject(parent) {}

QtWaveIn::~QtWaveIn() {
  SetFailureHandler(nullptr);
  StopSource();
}

void QtWaveIn::SetRecording(std::vector<std::uint8_t> samples, std::string name) {
  recording_ = std::make_unique<RecordingPlayer>(
      std::move(samples), std::move(name),
      [this](const std::uint8_t* data, std::size_t count) { Deliver(data, count); });
}

int QtWaveIn::DeviceCount() {
  return static_cast<int>(QMediaDevices::audioInputs().size()) + (recording_ != nullptr ? 1 : 0);
}

int QtWaveIn::GetDeviceCaps(int deviceId, WaveInCaps& caps) {
  if (recording_ != nullptr && deviceId == 0) {
    caps.productName = recording_->name();
    return kWaveOk;
  }
  const int index = recording_ != nullptr ? deviceId - 1 : deviceId;
  const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
  if (index < 0 || index >= inputs.size()) return kWaveBadDeviceId;
  if (enumerated_.size() <= static_cast<std::size_t>(index)) enumerated_.resize(index + 1);
  enumerated_[index] = inputs[index].id();
  // The receiver's texts are single-byte; Latin-1 covers what device names use.
  caps.productName = inputs[index].description().toLatin1().toStdString();
  return kWaveOk;
}

int QtWaveIn::Open(int deviceId, const WaveFormat& format) {
  if (mode_ != Mode::Closed) return kWaveAllocated;
  if (!format.IsCaptureFormat()) return kWaveBadFormat;
  if (recording_ != nullptr && deviceId == 0) {
    mode_ = Mode::Recording;
    return kWaveOk;
  }

  const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
  QAudioDevice device;
  if (deviceId == kWaveMapper) {
    device = QMediaDevices::defaultAudioInput();
    if (device.isNull()) return kWaveNoDriver;
  } else {
    if (inputs.isEmpty()) return kWaveNoDriver;  // no audio server, or no input at all
    const int index = recording_ != nullptr ? deviceId - 1 : deviceId;
    if (index < 0) return kWaveBadDeviceId;
    // The slot stands for the device it was enumerated as, not whatever
    // now sits at that position in the list.
    const bool known = static_cast<std::size_t>(index) < enumerated_.size() && !enumerated_[index].isEmpty();
    if (known) {
      const auto it = std::find_if(inputs.begin(), inputs.end(),
                                   [&](const QAudioDevice& d) { return d.id() == enumerated_[index]; });
      if (it == inputs.end()) return kWaveBadDeviceId;  // the device went away
      device = *it;
    } else {
      if (index >= inputs.size()) return kWaveBadDeviceId;
      device = inputs[index];
    }
  }
  if (!device.isFormatSupported(CaptureFormat())) return kWaveNotSupported;

  source_ = std::make_unique<QAudioSource>(device, CaptureFormat());
  io_ = source_->start();
  if (io_ == nullptr || source_->error() != QAudio::NoError) {
    source_.reset();
    io_ = nullptr;
    return QMediaDevices::audioInputs().isEmpty() ? kWaveNoDriver : kWaveAllocated;
  }
  connect(io_, &QIODevice::readyRead, this, &QtWaveIn::ReadLive);
  connect(source_.get(), &QAudioSource::stateChanged, this, &QtWaveIn::OnStateChanged);
  failureReported_ = false;
  mode_ = Mode::Live;
  return kWaveOk;
}

int QtWaveIn::PrepareHeader(WaveHeader& header) {
  if (mode_ == Mode::Closed) return kWaveInvalidHandle;
  return PrepareWaveHeader(header);
}

int QtWaveIn::AddBuffer(WaveHeader& header) {
  if (mode_ == Mode::Closed) return kWaveInvalidHandle;
  return queue_.Add(header);
}

int QtWaveIn::Start() {
  if (mode_ == Mode::Closed) return kWaveInvalidHandle;
  if (mode_ == Mode::Live) {
    if (!io_) return kWaveInvalidHandle;
    io_->readAll();  // what arrived between open and start is not recorded
  } else {
    recording_->Start();
  }
  started_ = true;
  return kWaveOk;
}

int QtWaveIn::Reset() {
  if (mode_ == Mode::Closed) return kWaveInvalidHandle;
  started_ = false;
  if (recording_) recording_->Stop();
  StopSource();
  queue_.ReturnAll();
  return kWaveOk;
}

int QtWaveIn::UnprepareHeader(WaveHeader& header) {
  if (mode_ == Mode::Closed) return kWaveInvalidHandle;
  return UnprepareWaveHeader(header);
}

int QtWaveIn::Close() {
  if (mode_ == Mode::Closed) return kWaveInvalidHandle;
  if (!queue_.empty()) return kWaveStillPlaying;
  started_ = false;
  if (recording_) recording_->Stop();
  StopSource();
  mode_ = Mode::Closed;
  return kWaveOk;
}

void QtWaveIn::StopSource() {
  if (!source_) return;
  // Our own stop is no failure: stop listening before stopping the source,
  // and let Qt delete it once any signal it is emitting has returned.
  source_->disconnect(this);
  if (io_) io_->disconnect(this);
  source_->stop();
  source_.release()->deleteLater();
  io_ = nullptr;
}

void QtWaveIn::Deliver(const std::uint8_t* data, std::size_t count) {
  if (!started_) return;
  dropped_ += queue_.Fill(data, count);
}

void QtWaveIn::ReadLive() {
  if (!io_) return;
  const QByteArray data = io_->readAll();
  Deliver(reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size()));
}

void QtWaveIn::OnStateChanged(QAudio::State state) {
  if (state != QAudio::StoppedState || source_ == nullptr || source_->error() == QAudio::NoError) return;
  if (failureReported_) return;
  failureReported_ = true;
  const int code = source_->error() == QAudio::FatalError ? kWaveNoDriver : kWaveErrorUnspecified;
  // Reported from the event loop, not from inside the source's own signal:
  // the handler stops capture, which deletes the source.
  QMetaObject::invokeMethod(this, [this, code] { ReportFailure(code); }, Qt::QueuedConnection);
}

}  // namespace vantrel
