// The clock the receiver reads. Injected so that tests and the recording
// decoder can hold it; the desktop program uses the system clock.
#pragma once

#include <cstdint>

namespace vantrel {

// Whole seconds since 1970-01-01 00:00:00 UTC; 0 means never.
using CTime = std::int64_t;

struct ClockReading {
  CTime seconds = 0;
  int milliseconds = 0;  // 0..999
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual ClockReading Read() const = 0;
  CTime Now() const { return Read().seconds; }
};

// The system's real-time clock.
class SystemClock final : public Clock {
 public:
  ClockReading Read() const override;
};

// A clock that reads what it was last set to; used by tests and by the
// recording decoder, which advances it by the audio fed so far.
class HeldClock final : public Clock {
 public:
  explicit HeldClock(CTime seconds = 0, int milliseconds = 0) { Set(seconds, milliseconds); }
  void Set(CTime seconds, int milliseconds = 0) { reading_ = {seconds, milliseconds}; }
  void Advance(CTime seconds) { reading_.seconds += seconds; }
  ClockReading Read() const override { return reading_; }

 private:
  ClockReading reading_;
};

}  // namespace vantrel
