// The application: start-up sequence and the lifetimes of the document and
// the main frame.
#pragma once

#include <QObject>
#include <memory>

#include "app/command_line.h"
#include "base/clock.h"

namespace vantrel {

class MainFrame;
class DBusObjectRegistry;
class DocumentLifetime;
class TerminationSignals;

class VantrelApp : public QObject {
  Q_OBJECT

 public:
  // The QApplication must exist already.
  explicit VantrelApp(CommandLineOptions options, QObject* parent = nullptr);
  // Frame first, then the document (which saves the settings).
  ~VantrelApp() override;

  // Builds the document, frame and view and shows the window; false when
  // the program should end at once.
  bool InitInstance();

  MainFrame* mainFrame() const { return frame_.get(); }
  const CommandLineOptions& options() const { return options_; }

 private:
  bool InitForAutomation();
  void CloseDocument();

  CommandLineOptions options_;
  SystemClock clock_;
  // The session-bus entry; outlives the document it holds.
  std::unique_ptr<DBusObjectRegistry> registry_;
  std::unique_ptr<DocumentLifetime> document_;
  std::unique_ptr<MainFrame> frame_;
  std::unique_ptr<TerminationSignals> signals_;
};

}  // namespace vantrel
