#include "app/vantrel_app.h"

#include <QApplication>
#include <QTimer>

#include "app/document_lifetime.h"
#include "app/icons.h"
#include "app/main_frame.h"
#include "app/qt_document_host.h"
#include "app/termination_signals.h"
#include "app/tle_update_runner.h"
#include "document/command_ids.h"
#include "platform/data_files.h"
#include "platform/dbus_service.h"
#include "vantrel_version.h"
#include "view/vantrel_view.h"

namespace vantrel {

VantrelApp::VantrelApp(CommandLineOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {}

VantrelApp::~VantrelApp() { CloseDocument(); }

bool VantrelApp::InitInstance() {
  QApplication::setApplicationName("Vantrel");
  QApplication::setApplicationVersion(VANTREL_VERSION);
  QApplication::setWindowIcon(ProgramIcon());

  // SIGTERM and SIGINT take the File > Exit path: capture stopped, then the
  // document destroyed with its settings saved.
  signals_ = std::make_unique<TerminationSignals>();
  connect(signals_.get(), &TerminationSignals::terminationRequested, this, [this] {
    if (frame_)
      frame_->close();
    else
      QApplication::quit();
  });

  if (options_.automation) return InitForAutomation();

  // The program directory is the executable's, letter case kept.
  std::string programDirectory = QApplication::applicationDirPath().toStdString() + '/';
  registry_ = std::make_unique<DBusObjectRegistry>();
  document_ =
      std::make_unique<DocumentLifetime>(clock_, programDirectory, options_, registry_.get());
  frame_ = std::make_unique<MainFrame>(document_->doc(),
                                       QString::fromStdString(document_->versionText()));
  document_->doc().SetHost(&frame_->host());
  // The chart's land mask; when none is found the view says so and the
  // chart is all sea.
  const QString globe = FindDataFile("globe.dat");
  frame_->view()->LoadGlobe(globe.isEmpty() ? programDirectory + "globe.dat" : globe.toStdString());
  frame_->show();
  frame_->tleUpdates().StartSchedule();

  // Capture is stopped at start unless asked for on the command line; a
  // station started so keeps trying until its input is there, also while
  // the message box about a failed first start waits for the user.
  if (options_.start)
    QTimer::singleShot(0, frame_.get(), [this] {
      document_->doc().RetryCaptureUntilItRuns();
      frame_->RunCommand(cmd::kStart);
    });
  return true;
}

bool VantrelApp::InitForAutomation() {
  // Started by the session bus for a client's call: no window, and no
  // document until that call arrives; it is answered from the new document.
  // The program then serves calls until it is terminated or the bus goes.
  registry_ = std::make_unique<DBusObjectRegistry>();
  const bool listening = registry_->ListenForActivation([this] {
    std::string programDirectory = QApplication::applicationDirPath().toStdString() + '/';
    document_ =
        std::make_unique<DocumentLifetime>(clock_, programDirectory, options_, registry_.get());
  });
  if (!listening) return false;  // no session bus: nobody could ask for anything
  connect(registry_.get(), &DBusObjectRegistry::connectionLost, this, [] { QApplication::quit(); });
  return true;
}

void VantrelApp::CloseDocument() {
  if (document_) document_->doc().SetHost(nullptr);
  frame_.reset();
  document_.reset();
}

}  // namespace vantrel
