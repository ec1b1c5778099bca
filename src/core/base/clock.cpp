#include "base/clock.h"

#include <chrono>

namespace vantrel {

ClockReading SystemClock::Read() const {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  ClockReading reading;
  reading.seconds = ms / 1000;
  reading.milliseconds = static_cast<int>(ms % 1000);
  if (reading.milliseconds < 0) {
    reading.milliseconds += 1000;
    reading.seconds -= 1;
  }
  return reading;
}

}  // namespace vantrel
