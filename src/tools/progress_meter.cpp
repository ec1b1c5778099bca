#include "progress_meter.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace vantrel::tools {

namespace {
constexpr auto kRedrawInterval = std::chrono::milliseconds(250);
}  // namespace

ProgressMeter::ProgressMeter(std::FILE* out, bool enabled, double totalSeconds, Clock clock)
    : out_(out),
      enabled_(enabled),
      total_(totalSeconds),
      clock_(std::move(clock)),
      started_(clock_()),
      lastDrawn_(started_ - kRedrawInterval) {}  // the first update shows at once

void ProgressMeter::Update(double doneSeconds) {
  done_ = doneSeconds;
  if (!enabled_) return;
  const auto now = clock_();
  if (now - lastDrawn_ < kRedrawInterval) return;
  lastDrawn_ = now;
  const double wall = std::chrono::duration<double>(now - started_).count();
  const double speed = wall > 0.0 ? done_ / wall : 0.0;
  char line[96];
  int width;
  if (total_ > 0.0) {
    const int percent = static_cast<int>(std::clamp(100.0 * done_ / total_, 0.0, 100.0));
    width =
        std::snprintf(line, sizeof line, "vantrel-decode: %3d%%, %.1fx real time", percent, speed);
  } else {
    width = std::snprintf(line, sizeof line, "vantrel-decode: %.0f s decoded, %.1fx real time",
                          done_, speed);
  }
  // Pads over what was longer before; \r returns to the line's start.
  std::fprintf(out_, "\r%s%*s", line, std::max(0, shownWidth_ - width), "");
  std::fflush(out_);
  shownWidth_ = width;
}

void ProgressMeter::Clear() {
  if (shownWidth_ == 0) return;
  std::fprintf(out_, "\r%*s\r", shownWidth_, "");
  std::fflush(out_);
  shownWidth_ = 0;
}

bool IsInteractive(std::FILE* stream) {
  const char* term = std::getenv("TERM");
  return isatty(fileno(stream)) != 0 && (term == nullptr || std::strcmp(term, "dumb") != 0);
}

}  // namespace vantrel::tools
