// The document's window system on Qt: repaints and timers go to the view,
// titles to the main frame, messages to a modal message box, status lines to
// the main frame's status bar and standard error (for unattended stations).
#pragma once

#include <QPointer>
#include <functional>

#include "document/host.h"

class QWidget;

namespace vantrel {

class VantrelView;

class QtDocumentHost final : public DocumentHost {
 public:
  QtDocumentHost(QWidget* frame, VantrelView* view);

  void UpdateAllViews() override;
  void SetMainWindowTitle(const std::string& title) override;
  std::uint32_t SetViewTimer(int eventId, int milliseconds) override;
  void KillViewTimer(std::uint32_t id) override;
  void ShowMessage(const std::string& text) override;
  void ClearTrackHistory() override;
  void ShowStatus(const std::string& text) override;
  void StartTleUpdate() override {
    if (startTleUpdate_) startTleUpdate_();
  }
  void SetTleUpdateStarter(std::function<void()> start) { startTleUpdate_ = std::move(start); }
  // The same message box for the program's own (UTF-8) texts.
  void ShowText(const QString& text);

  // Tests see each message here instead of a modal box (UTF-8 text).
  void SetMessageSink(std::function<void(const QString&)> sink) { sink_ = std::move(sink); }

 private:
  QPointer<QWidget> frame_;
  QPointer<VantrelView> view_;
  std::function<void(const QString&)> sink_;
  std::function<void()> startTleUpdate_;
};

}  // namespace vantrel
