// The wave-input interface over the desktop's audio server (PulseAudio or
// PipeWire, see PulseInput), 8-bit unsigned mono at 48000 Hz. Everything
// runs on the thread that owns the object: the input's data fills the
// queued buffers in order, and the program polls their done flags. A server
// that restarts is found again by the next call that needs it.
//
// A recording can stand in for a sound card: it becomes device 0 (the live
// inputs move up by one) and is played by a RecordingPlayer.
#pragma once

#include <QObject>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/wave_in.h"
#include "audio/wave_queue.h"
#include "platform/pulse_input.h"
#include "platform/recording_player.h"

namespace vantrel {

class PulseWaveIn final : public QObject, public WaveIn {
  Q_OBJECT

 public:
  explicit PulseWaveIn(QObject* parent = nullptr);
  ~PulseWaveIn() override;

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

  void Deliver(const std::uint8_t* data, std::size_t count);
  void StopSource();

  Mode mode_ = Mode::Closed;
  bool started_ = false;
  WaveQueue queue_;
  std::uint64_t dropped_ = 0;

  // Live input.
  std::vector<std::string> enumerated_;  // live input index -> source name seen by GetDeviceCaps
  PulseInput live_;

  // Recording played as an input (device 0), if any.
  std::unique_ptr<RecordingPlayer> recording_;
};

}  // namespace vantrel
