// What the document needs from the window system: repainting the views, the
// main window's title, the view's timers, the application's message box and
// its status bar.
// The desktop program implements it with Qt; the core's tests and the
// command-line tools use NullHost or a fake.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel {

class DocumentHost {
 public:
  virtual ~DocumentHost() = default;
  virtual void UpdateAllViews() = 0;
  virtual void SetMainWindowTitle(const std::string& title) = 0;
  // Creates a repeating timer on the first view; returns its id (non-zero).
  virtual std::uint32_t SetViewTimer(int eventId, int milliseconds) = 0;
  virtual void KillViewTimer(std::uint32_t id) = 0;
  // A modal message box with an OK button; text is Windows-1252.
  virtual void ShowMessage(const std::string& text) = 0;
  // Clears the first view's track history map.
  virtual void ClearTrackHistory() = 0;
  // One line in the status bar about what the program did by itself.
  virtual void ShowStatus(const std::string&) {}
  // Starts downloading the TLE file now (Options > TLE > Update from the web).
  virtual void StartTleUpdate() {}
};

class NullHost : public DocumentHost {
 public:
  void UpdateAllViews() override {}
  void SetMainWindowTitle(const std::string&) override {}
  std::uint32_t SetViewTimer(int eventId, int) override {
    return static_cast<std::uint32_t>(eventId);
  }
  void KillViewTimer(std::uint32_t) override {}
  void ShowMessage(const std::string&) override {}
  void ClearTrackHistory() override {}
};

}  // namespace vantrel
