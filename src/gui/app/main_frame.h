// The main window: menu bar, toolbar, status bar with the polarity pane, and
// the view in the middle. Every menu item, button and accelerator carries its
// command id (QAction::data); the items' check marks and enabled states come
// from the document's update handlers.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <QUrl>
#include <functional>
#include <memory>

#include "document/dialogs.h"
#include "document/feed_runner.h"
#include "document/vantrel_doc.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace vantrel {

class VantrelView;
class QtDocumentHost;
class TleUpdateRunner;

class MainFrame : public QMainWindow {
  Q_OBJECT

 public:
  MainFrame(VantrelDoc& doc, QString versionText, QWidget* parent = nullptr);
  ~MainFrame() override;

  VantrelView* view() const { return view_; }
  QtDocumentHost& host() const { return *host_; }
  QToolBar* toolBar() const { return toolBar_; }
  QLabel* polarityPane() const { return polarityPane_; }
  // Options > TLE > Update from the web; its schedule is started by the program.
  TleUpdateRunner& tleUpdates() const { return *tleUpdates_; }
  // The action of a command id (menu item, button or accelerator), or null.
  QAction* action(int id) const { return actions_.value(id, nullptr); }

  // Runs the command as if its menu item, button or key had been used.
  void RunCommand(int id);
  // Refreshes every action and the polarity pane from the update handlers.
  void UpdateCommandStates();

  // The dialogs the receiver commands use; tests put a fake in.
  void SetDialogs(CommandDialogs* dialogs);
  // Opens the manual; defaults to the desktop's browser.
  void SetUrlOpener(std::function<bool(const QUrl&)> opener) { openUrl_ = std::move(opener); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QAction* MakeAction(int id, const QString& text);
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void CreateAccelerators();
  void OnHelp();
  void OnAppAbout();

  VantrelDoc& doc_;
  QString versionText_;
  VantrelView* view_ = nullptr;
  std::unique_ptr<QtDocumentHost> host_;
  std::unique_ptr<CommandDialogs> ownDialogs_;
  CommandDialogs* dialogs_ = nullptr;
  std::function<bool(const QUrl&)> openUrl_;
  QMap<int, QAction*> actions_;
  QToolBar* toolBar_ = nullptr;
  QLabel* polarityPane_ = nullptr;
  std::unique_ptr<FeedRunner> feed_;
  TleUpdateRunner* tleUpdates_ = nullptr;
};

}  // namespace vantrel
