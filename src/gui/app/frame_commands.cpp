// The main frame's command routing: receiver commands go to the document's
// handlers, Start and Stop to capture, the rest are the window's own.
#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>
#include <QWhatsThis>

#include "app/about_dlg.h"
#include "app/main_frame.h"
#include "app/qt_document_host.h"
#include "document/command_ids.h"
#include "document/commands.h"
#include "platform/data_files.h"
#include "view/vantrel_view.h"

namespace vantrel {

void MainFrame::RunCommand(int id) {
  if (!RunDocumentCommand(doc_, *dialogs_, id)) {
    switch (id) {
      case cmd::kStart:
        doc_.StartCapture();
        break;
      case cmd::kStop:
        doc_.StopCapture();
        break;
      case cmd::kAppExit:
        close();
        break;
      case cmd::kEditCopy:
        view_->OnEditCopy();
        break;
      case cmd::kFilePrint:
        view_->OnFilePrint();
        break;
      case cmd::kFileNew:
        break;  // the document has no file content: New keeps every member
      case cmd::kViewToolbar:
        toolBar_->setVisible(toolBar_->isHidden());
        break;
      case cmd::kViewStatusBar:
        statusBar()->setVisible(statusBar()->isHidden());
        break;
      case cmd::kHelp:
      case cmd::kHelpTopics:
        OnHelp();
        break;
      case cmd::kContextHelp:
        QWhatsThis::enterWhatsThisMode();
        break;
      case cmd::kAppAbout:
        OnAppAbout();
        break;
      default:
        break;
    }
  }
  UpdateCommandStates();
}

void MainFrame::UpdateCommandStates() {
  for (auto it = actions_.cbegin(); it != actions_.cend(); ++it) {
    QAction* a = it.value();
    const int id = it.key();
    if (id == cmd::kViewToolbar) {
      a->setChecked(!toolBar_->isHidden());
      continue;
    }
    if (id == cmd::kViewStatusBar) {
      a->setChecked(!statusBar()->isHidden());
      continue;
    }
    const CommandState state = UpdateDocumentCommand(doc_, id);
    a->setEnabled(state.enabled);
    if (a->isCheckable()) a->setChecked(state.checked);
    if (state.setsText) a->setText(QString::fromStdString(state.text));
  }
  polarityPane_->setText(view_->PolarityText());
}

void MainFrame::OnHelp() {
  const QString manual = FindDataFile("manual/index.html");
  if (manual.isEmpty()) {
    host_->ShowText("The manual (manual/index.html) is not installed beside the program.");
    return;
  }
  if (!openUrl_(QUrl::fromLocalFile(manual)))
    host_->ShowText("No web browser could open the manual " + manual + ".");
}

void MainFrame::OnAppAbout() {
  AboutDlg dlg(versionText_, this);
  dlg.exec();
}

void MainFrame::closeEvent(QCloseEvent* event) {
  // Capture is stopped before the window goes and the document is destroyed,
  // so settings are never saved while audio is still being fed.
  doc_.StopCapture();
  event->accept();
}

}  // namespace vantrel
