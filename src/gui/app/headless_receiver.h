// vantrel --headless: the receiver without a window. The stored settings
// and Source (or the --input recording) are used as the desktop program
// uses them; HeadlessRunner keeps the document's timers, the daily logs and
// the network feed run as set, and every message or status line goes to
// standard error as one line. It ends on SIGTERM or SIGINT, when a recording
// played as the input is over, or when capture stopped for good.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>
#include <string>

#include "app/command_line.h"
#include "base/clock.h"

namespace vantrel {

class DocumentLifetime;
class FeedRunner;
class HeadlessRunner;
class TerminationSignals;

class HeadlessReceiver : public QObject {
 public:
  // The QCoreApplication must exist already.
  explicit HeadlessReceiver(CommandLineOptions options, QObject* parent = nullptr);
  // Capture stopped, the feed drained, then the settings saved.
  ~HeadlessReceiver() override;

  // Builds the document and starts capture; the event loop then runs it.
  void Start();
  // The program's exit code: 0 after a signal or a recording's end, 1 when
  // capture stopped on a failure with no retry left.
  int exitCode() const { return exitCode_; }

 private:
  void Tick();
  void Print(const std::string& text);

  CommandLineOptions options_;
  SystemClock clock_;
  std::unique_ptr<DocumentLifetime> document_;
  std::unique_ptr<FeedRunner> feed_;
  std::unique_ptr<HeadlessRunner> runner_;
  std::unique_ptr<TerminationSignals> signals_;
  QElapsedTimer elapsed_;
  QTimer timer_;
  bool recordingEnded_ = false;
  int exitCode_ = 0;
};

}  // namespace vantrel
