// Progress of a long decode on standard error, for a person watching a
// terminal: one line, rewritten in place, with the share of the input done
// and the speed against real time. Silent when standard error is not a
// terminal, so that logs and pipes get only the messages.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>

namespace vantrel::tools {

class ProgressMeter {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  // totalSeconds: the input's length; 0 when unknown (a pipe), which shows
  // the seconds done instead of a percentage.
  ProgressMeter(std::FILE* out, bool enabled, double totalSeconds,
                Clock clock = std::chrono::steady_clock::now);

  // After each piece of input: redraws the line at most a few times a second.
  void Update(double doneSeconds);
  // Takes the line away (before other output, and at the end).
  void Clear();

 private:
  std::FILE* out_;
  bool enabled_;
  double total_;
  Clock clock_;
  std::chrono::steady_clock::time_point started_, lastDrawn_;
  double done_ = 0.0;
  int shownWidth_ = 0;
};

// Whether the meter belongs on this stream: a terminal, and not a dumb one.
bool IsInteractive(std::FILE* stream);

}  // namespace vantrel::tools
