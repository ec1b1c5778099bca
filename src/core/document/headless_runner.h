// Runs the receiver without a window: the document's host, whose timers are
// kept here and fired by Advance, so capture polls, the polarity watch and
// capture retries run as they do under the desktop program's view, and the
// network feed (when one is given) is kept in step with the settings.
// Messages and status lines go to one output (standard error in a program).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "document/host.h"

namespace vantrel {

class VantrelDoc;
class FeedRunner;

class HeadlessRunner final : public DocumentHost {
 public:
  using Output = std::function<void(const std::string&)>;
  // Attaches itself as the document's host until destroyed; feed may be null.
  HeadlessRunner(VantrelDoc& doc, Output output, FeedRunner* feed = nullptr);
  ~HeadlessRunner() override;
  HeadlessRunner(const HeadlessRunner&) = delete;
  HeadlessRunner& operator=(const HeadlessRunner&) = delete;

  // Fires, oldest due first, every timer due by nowMs (a steady clock in
  // milliseconds); a timer late by several periods fires once.
  void Advance(std::int64_t nowMs);
  // Milliseconds from nowMs to the next due timer, or -1 when none runs.
  std::int64_t NextDue(std::int64_t nowMs) const;

  void UpdateAllViews() override {}
  void SetMainWindowTitle(const std::string&) override {}
  std::uint32_t SetViewTimer(int eventId, int milliseconds) override;
  void KillViewTimer(std::uint32_t id) override;
  void ShowMessage(const std::string& text) override { output_(text); }
  void ClearTrackHistory() override {}
  void ShowStatus(const std::string& text) override { output_(text); }

  static constexpr int kFeedSyncMs = 2000;

 private:
  struct Timer {
    int periodMs = 0;
    std::int64_t dueMs = 0;
  };
  VantrelDoc& doc_;
  Output output_;
  FeedRunner* feed_;
  std::map<std::uint32_t, Timer> timers_;
  std::uint32_t nextId_ = 1;
  std::int64_t nowMs_ = 0;
  std::int64_t feedDueMs_ = 0;
};

}  // namespace vantrel
