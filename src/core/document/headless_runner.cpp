#include "document/headless_runner.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "document/feed_runner.h"
#include "document/vantrel_doc.h"

namespace vantrel {

HeadlessRunner::HeadlessRunner(VantrelDoc& doc, Output output, FeedRunner* feed)
    : doc_(doc), output_(std::move(output)), feed_(feed) {
  doc_.SetHost(this);
}

HeadlessRunner::~HeadlessRunner() { doc_.SetHost(nullptr); }

std::uint32_t HeadlessRunner::SetViewTimer(int, int milliseconds) {
  const std::uint32_t id = nextId_++;
  timers_[id] = {milliseconds, nowMs_ + milliseconds};
  return id;
}

void HeadlessRunner::KillViewTimer(std::uint32_t id) { timers_.erase(id); }

void HeadlessRunner::Advance(std::int64_t nowMs) {
  nowMs_ = nowMs;
  if (feed_ != nullptr && nowMs >= feedDueMs_) {
    feedDueMs_ = nowMs + kFeedSyncMs;
    if (const auto notice = feed_->Sync()) output_(*notice);
  }
  std::vector<std::pair<std::int64_t, std::uint32_t>> due;
  for (const auto& [id, timer] : timers_) {
    if (timer.dueMs <= nowMs) due.emplace_back(timer.dueMs, id);
  }
  std::sort(due.begin(), due.end());
  for (const auto& [dueMs, id] : due) {
    // An earlier timer's work may have killed this one (capture stopped).
    const auto it = timers_.find(id);
    if (it == timers_.end()) continue;
    it->second.dueMs = nowMs + it->second.periodMs;
    doc_.OnTimer(id);
  }
}

std::int64_t HeadlessRunner::NextDue(std::int64_t nowMs) const {
  std::int64_t next = -1;
  for (const auto& [id, timer] : timers_) {
    const std::int64_t wait = std::max<std::int64_t>(0, timer.dueMs - nowMs);
    if (next < 0 || wait < next) next = wait;
  }
  if (feed_ != nullptr) {
    const std::int64_t wait = std::max<std::int64_t>(0, feedDueMs_ - nowMs);
    if (next < 0 || wait < next) next = wait;
  }
  return next;
}

}  // namespace vantrel
