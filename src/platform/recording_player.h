// Plays a recording as if it were a sound-card input: once started it hands
// over the capture rate's worth of bytes a second by the clock, in chunks on
// a timer, and mid-level silence after the recording's end. A second of
// silence after the end, which completes the capture buffer holding the last
// samples, it tells that the recording has ended.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {

class RecordingPlayer final : public QObject {
  Q_OBJECT

 public:
  using Sink = std::function<void(const std::uint8_t* data, std::size_t count)>;

  RecordingPlayer(std::vector<std::uint8_t> samples, std::string name, Sink sink,
                  QObject* parent = nullptr);

  // Called once per start, after the sink has had the end's second of silence.
  void SetEndHandler(std::function<void()> handler) { onEnd_ = std::move(handler); }

  const std::string& name() const { return name_; }
  // Starts from the recording's beginning.
  void Start();
  void Stop();

 private:
  void Play();

  std::vector<std::uint8_t> samples_;
  std::string name_;
  Sink sink_;
  std::function<void()> onEnd_;
  bool endTold_ = false;
  QTimer timer_;
  QElapsedTimer clock_;
  std::int64_t played_ = 0;
  std::vector<std::uint8_t> chunk_;
};

}  // namespace vantrel
