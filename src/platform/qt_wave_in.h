// The wave-input interface over Qt Multimedia's QAudioSource (PulseAudio or
// PipeWire underneath), 8-bit unsigned mono at 48000 Hz. Everything runs on
// the thread that owns the object: the source's readyRead fills the queued
// buffers in order, and the program polls their done flags.
//
// A recording can stand in for a sound card: it becomes device 0 (the live
// inputs move up by one) and is played by a RecordingPlayer.
#pragma once

#include <QAudio>
#include <QByteArray>
#include <QObject>
#include <QPointer>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/wave_in.h"
#include "audio/wave_queue.h"
#include "platform/recording_player.h"

class QAudioSource;
class QIODevice;

namespace vantrel {

class QtWaveIn final : public QObject, public WaveIn {
  Q_OBJECT

 public:
  explicit QtWaveIn(QObject* parent = nullptr);
  ~QtWaveIn() override;

  // Makes the recording device 0, with name as its product name.
  void SetRecording(std::vector<std::uint8_t> samples, std::string name);

  int DeviceCount() override;
  int GetDeviceCaps(int deviceId, WaveInCaps& caps) override;
  int Open(int deviceId, const WaveFormat& format) override;
  int PrepareHeader(WaveHeader& header) override;
  int AddBuffer(WaveHeader& header) override;
  int Start() override;
  int Reset() override;
  int UnprepareHeader(WaveHeader& header) override;
  int Close() override;

  // Bytes that arrived while recording with no buffer queued.
  std::uint64_t droppedBytes() const { return dropped_; }

 private:
  enum class Mode { Closed, Live, Recording };

  void ReadLive();
  void OnStateChanged(QAudio::State state);
  void Deliver(const std::uint8_t* data, std::size_t count);
  void StopSource();

  Mode mode_ = Mode::Closed;
  bool started_ = false;
  WaveQueue queue_;
  std::uint64_t dropped_ = 0;

  // Live input.
  std::vector<QByteArray> enumerated_;  // live input index -> device id seen by GetDeviceCaps
  std::unique_ptr<QAudioSource> source_;
  // The source owns its device and deletes it itself when the server fails.
  QPointer<QIODevice> io_;
  bool failureReported_ = false;

  // Recording played as an input (device 0), if any.
  std::unique_ptr<RecordingPlayer> recording_;
};

}  // namespace vantrel
