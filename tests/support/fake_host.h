// A window system for tests: notes repaints, titles, timers, messages,
// status lines and track-history clears instead of showing anything.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "document/host.h"

namespace vantrel {

class FakeHost final : public DocumentHost {
 public:
  void UpdateAllViews() override { ++redraws; }
  void SetMainWindowTitle(const std::string& title) override { titles.push_back(title); }
  std::uint32_t SetViewTimer(int eventId, int ms) override {
    timers[nextId] = {eventId, ms};
    return nextId++;
  }
  void KillViewTimer(std::uint32_t id) override {
    killed.push_back(id);
    timers.erase(id);
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ClearTrackHistory() override { ++historyClears; }
  void ShowStatus(const std::string& text) override { statuses.push_back(text); }
  void StartTleUpdate() override { ++tleUpdatesStarted; }

  int redraws = 0;
  int historyClears = 0;
  int tleUpdatesStarted = 0;
  std::vector<std::string> titles, messages, statuses;
  std::map<std::uint32_t, std::pair<int, int>> timers;  // id -> event, period
  std::vector<std::uint32_t> killed;
  std::uint32_t nextId = 101;
};

}  // namespace vantrel
