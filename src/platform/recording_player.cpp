#include "platform/recording_player.h"

#include <algorithm>

#include "base/sample_rate.h"

namespace vantrel {

namespace {

constexpr int kPlayIntervalMs = 50;
// After a stall of the event loop the recording catches up by at most this
// much, as a sound card's queue would have overrun anyway.
constexpr std::int64_t kMaxCatchUpBytes = 4 * kCaptureSampleRate;

}  // namespace

RecordingPlayer::RecordingPlayer(std::vector<std::uint8_t> samples, std::string name, Sink sink,
                                 QObject* parent)
    : QObject(parent),
      samples_(std::move(samples)),
      name_(std::move(name)),
      sink_(std::move(sink)) {
  timer_.setInterval(kPlayIntervalMs);
  connect(&timer_, &QTimer::timeout, this, &RecordingPlayer::Play);
}

void RecordingPlayer::Start() {
  played_ = 0;
  endTold_ = false;
  clock_.start();
  timer_.start();
}

void RecordingPlayer::Stop() { timer_.stop(); }

void RecordingPlayer::Play() {
  const std::int64_t due = clock_.elapsed() * kCaptureSampleRate / 1000;
  if (due - played_ > kMaxCatchUpBytes) played_ = due - kMaxCatchUpBytes;
  const std::size_t count = static_cast<std::size_t>(due - played_);
  if (count == 0) return;
  chunk_.assign(count, 128);
  const std::uint64_t from = static_cast<std::uint64_t>(played_);
  if (from < samples_.size()) {
    const std::size_t n = std::min<std::size_t>(count, samples_.size() - from);
    std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(from), n, chunk_.begin());
  }
  played_ = due;
  sink_(chunk_.data(), chunk_.size());
  const auto end = static_cast<std::int64_t>(samples_.size()) + kCaptureSampleRate;
  if (!endTold_ && played_ >= end) {
    endTold_ = true;
    if (onEnd_) onEnd_();
  }
}

}  // namespace vantrel
