// The real main window, headless: menus, toolbar, command states, titles,
// and the dialogs driven through their widgets.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <tuple>

#include "app/main_frame.h"
#include "app/qt_document_host.h"
#include "document/command_ids.h"

namespace vantrel {
namespace {

// Runs act on the next modal dialog once it is up (it runs its own event loop).
void WhenModal(std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      act(w);
    }
  });
  timer->start();
}

template <typename T>
T* Child(QWidget* dialog, const char* name) {
  auto* child = dialog->findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name;
  return child;
}

void SetText(QWidget* dialog, const char* name, const QString& text) {
  Child<QLineEdit>(dialog, name)->selectAll();
  QTest::keyClicks(Child<QLineEdit>(dialog, name), text);
}

// Accepts the next file dialog with path selected; notes its title and folder.
void AcceptFileDialog(const QString& path, QString& title, QString& folder) {
  WhenModal([path, &title, &folder](QWidget* w) {
    auto* dlg = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dlg, nullptr);
    title = dlg->windowTitle();
    folder = dlg->directory().canonicalPath();
    dlg->setDirectory(QFileInfo(path).isDir() ? path : QFileInfo(path).path());
    dlg->selectFile(path);
    QMetaObject::invokeMethod(dlg, "accept");
  });
}

class MainFrame : public ::testing::Test {
 protected:
  MainFrame() : doc_(clock_, "/opt/vantrel/"), frame_(doc_, "Vantrel version 1.3") {
    doc_.SetHost(&frame_.host());
    frame_.host().SetMessageSink([this](const QString& m) { messages_ << m; });
    frame_.show();
  }
  ~MainFrame() override { doc_.SetHost(nullptr); }
  QAction* Action(int id) {
    QAction* a = frame_.action(id);
    EXPECT_NE(a, nullptr) << id;
    return a;
  }
  void Trigger(int id) {
    Action(id)->trigger();
    frame_.UpdateCommandStates();
  }

  HeldClock clock_{1178964672};
  CVantrelDoc doc_;
  CMainFrame frame_;
  QStringList messages_;
};

// Menu items as "path|id", in order, separators as "-".
void ListMenu(const QMenu* menu, const QString& path, QStringList& out) {
  for (QAction* a : menu->actions()) {
    if (a->isSeparator()) {
      out << path + "/-";
    } else if (a->menu() != nullptr) {
      out << path + "/" + a->text();
      ListMenu(a->menu(), path + "/" + a->text(), out);
    } else {
      out << QString("%1/%2|%3").arg(path, a->text()).arg(a->data().toInt());
    }
  }
}

TEST_F(MainFrame, MenusToolbarAndKeys) {
  QStringList items;
  for (QAction* top : frame_.menuBar()->actions()) {
    items << top->text();
    ListMenu(top->menu(), top->text(), items);
  }
  const QStringList expected = {
      "&File", "&File/E&xit|57665", "&Edit", "&Edit/&Copy|57634", "&View", "&View/Signal|32771",
      "&View/Messages|32772", "&View/Satellites|32773", "&View/Chart|32774", "&View/&Toolbar|59392",
      "&View/&Status Bar|59393", "Process", "Process/Start|32775", "Process/Stop|32776", "Options",
      "Options/Output", "Options/Output/Log file|32778", "Options/Output/Raw file|32779", "Options/Home|32780",
      "Options/Directories", "Options/Directories/Log file|32781", "Options/Audio", "Options/Audio/Mixer|32782",
      // Source items show the slots' device names: none here.
      "Options/Audio/Source", "Options/Audio/Source/|32783", "Options/Audio/Source/|32784",
      "Options/Audio/Source/|32785", "Options/Audio/Source/|32786", "Options/Filter|32787",
      "Options/Track History|32788", "Options/TLE", "Options/TLE/Define|32789", "Options/TLE/Enable|32790",
      "&Help", "&Help/&Help Topics|57667", "&Help/-", "&Help/&About Vantrel...|57664"};
  EXPECT_EQ(items, expected);

  QStringList buttons;
  for (QAction* a : frame_.toolBar()->actions()) {
    buttons << (a->isSeparator() ? QString("-") : QString::number(a->data().toInt()));
    EXPECT_TRUE(a->isSeparator() || !a->icon().isNull()) << a->data().toInt();
  }
  EXPECT_EQ(buttons.join(' '), "32775 32776 - 32771 32772 32773 32774 - 57664 57669");
  EXPECT_EQ(Action(cmd::kViewSignal)->statusTip(), "View the raw signal screen");
  EXPECT_EQ(Action(cmd::kViewSignal)->toolTip(), "Signal");
  EXPECT_EQ(frame_.statusBar()->currentMessage(), "For Help, press F1");
  const std::pair<int, const char*> keys[] = {{cmd::kEditCopy, "Ctrl+C; Ctrl+Ins"}, {cmd::kFilePrint, "Ctrl+P"},
                                              {cmd::kFileNew, "Ctrl+N"}, {cmd::kHelp, "F1"},
                                              {cmd::kContextHelp, "Shift+F1"}};
  for (const auto& [id, sequences] : keys)
    EXPECT_EQ(QKeySequence::listToString(Action(id)->shortcuts()), sequences) << id;
}

TEST_F(MainFrame, CommandsUpdateChecksEnablesBarsAndPolarityPane) {
  EXPECT_TRUE(Action(cmd::kViewSignal)->isChecked());
  Trigger(cmd::kViewChart);
  Trigger(cmd::kViewChart);  // the checked item stays checked
  EXPECT_EQ(doc_.viewState, 2);
  for (int id : {cmd::kViewSignal, cmd::kViewMessages, cmd::kViewSatellites, cmd::kViewChart})
    EXPECT_EQ(Action(id)->isChecked(), id == cmd::kViewChart) << id;

  EXPECT_TRUE(Action(cmd::kOutputLog)->isChecked());
  for (int id : {cmd::kOutputLog, cmd::kOutputRaw, cmd::kTrackHistory, cmd::kViewToolbar, cmd::kViewStatusBar})
    Trigger(id);
  EXPECT_EQ(std::tie(doc_.logFlag, doc_.rawFlag, doc_.trackHistory), std::make_tuple(0, 1, 1));
  for (int id : {cmd::kOutputLog, cmd::kOutputRaw, cmd::kTrackHistory, cmd::kViewToolbar, cmd::kViewStatusBar})
    EXPECT_EQ(Action(id)->isChecked(), id == cmd::kOutputRaw || id == cmd::kTrackHistory) << id;
  EXPECT_TRUE(frame_.toolBar()->isHidden() && frame_.statusBar()->isHidden());
  EXPECT_FALSE(Action(cmd::kTleEnable)->isEnabled());

  doc_.deviceName[0] = "TestInput";
  Trigger(cmd::kSource1 + 1);
  EXPECT_EQ(Action(cmd::kSource1)->text(), "TestInput");
  EXPECT_EQ(doc_.soundCardSlot, 1);
  EXPECT_FALSE(Action(cmd::kSource1)->isChecked());
  EXPECT_TRUE(Action(cmd::kSource1 + 1)->isChecked());
  for (int running : {0, 1}) {
    doc_.captureRunning = running;
    frame_.UpdateCommandStates();
    EXPECT_EQ(Action(cmd::kStart)->isEnabled(), !running);
    EXPECT_EQ(Action(cmd::kStop)->isEnabled(), running == 1);
    for (int n = 0; n < 4; ++n) EXPECT_EQ(Action(cmd::kSource1 + n)->isEnabled(), !running) << n;
  }
  doc_.captureRunning = 0;

  const std::pair<int, QString> panes[] = {{1, "Signal inverted"}, {0, "Signal upright"}, {-2, "Signal inverted"}};
  for (const auto& [polarity, text] : panes) {
    doc_.polarity = polarity;
    frame_.UpdateCommandStates();
    EXPECT_EQ(frame_.polarityPane()->text(), text) << polarity;
  }
}

TEST_F(MainFrame, TitlesFromStartStopNewAndClose) {
  // No audio system attached: Start reports it and leaves the title alone.
  Trigger(cmd::kStart);
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].startsWith("On opening the wave device.."));
  EXPECT_EQ(frame_.windowTitle(), "Untitled - Vantrel");
  frame_.host().SetMainWindowTitle("Vantrel from Brennick - processing live signals");
  Trigger(cmd::kStop);  // greyed while stopped: nothing happens
  EXPECT_EQ(frame_.windowTitle(), "Vantrel from Brennick - processing live signals");
  frame_.RunCommand(cmd::kStop);
  EXPECT_EQ(frame_.windowTitle(), "Vantrel from Brennick - processing stopped");

  // File New keeps everything in the document.
  doc_.viewState = 1;
  doc_.messages[0] = "Spacecraft FM-12 137.5000MHz frame 03";
  Trigger(cmd::kFileNew);
  EXPECT_EQ(doc_.viewState, 1);
  EXPECT_EQ(doc_.messages[0], "Spacecraft FM-12 137.5000MHz frame 03");

  frame_.close();  // the close box stops capture first
  EXPECT_EQ(frame_.windowTitle(), "Vantrel from Brennick - processing stopped");
}

TEST_F(MainFrame, HelpManualMixerAndAboutBox) {
  QList<QUrl> opened;
  frame_.SetUrlOpener([&](const QUrl& url) { return opened << url, true; });
  Trigger(cmd::kHelp);
  Trigger(cmd::kHelpTopics);
  ASSERT_EQ(opened.size(), 2);
  EXPECT_TRUE(opened[1].isLocalFile() && opened[1].toLocalFile().endsWith("manual/index.html"));
  frame_.SetUrlOpener([](const QUrl&) { return false; });
  Trigger(cmd::kHelp);
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].startsWith("No web browser could open the manual"));

  // The mixer is looked up on PATH and opened on its input devices tab.
  QTemporaryDir bin;
  const QByteArray oldPath = qgetenv("PATH");
  qputenv("PATH", bin.path().toLocal8Bit());
  Trigger(cmd::kMixer);
  ASSERT_EQ(messages_.size(), 2);
  EXPECT_TRUE(messages_[1].startsWith("No audio mixer program is installed"));
  QFile fake(bin.filePath("pavucontrol"));
  ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
  fake.write(("#!/bin/sh\necho \"$@\" > " + bin.filePath("args") + "\n").toUtf8());
  fake.close();
  fake.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  Trigger(cmd::kMixer);
  qputenv("PATH", oldPath);
  QFile args(bin.filePath("args"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return args.size() > 0; }, 2000));
  ASSERT_TRUE(args.open(QIODevice::ReadOnly));
  EXPECT_EQ(args.readAll().trimmed(), "--tab=4");
  EXPECT_EQ(messages_.size(), 2);

  QString version;
  WhenModal([&](QWidget* dlg) {
    version = Child<QLabel>(dlg, "version")->text();
    dlg->findChild<QAbstractButton*>()->click();  // its only button, OK
  });
  Trigger(cmd::kAppAbout);
  EXPECT_EQ(version, "Vantrel version 1.3");
}

TEST_F(MainFrame, HomeAndFilterDialogsThroughTheirWidgets) {
  QString shownLatitude, shownLongitude;
  WhenModal([&](QWidget* dlg) {
    shownLatitude = Child<QLineEdit>(dlg, "latitude")->text();
    shownLongitude = Child<QLineEdit>(dlg, "longitude")->text();
    SetText(dlg, "latitude", "N37 11.1");
    SetText(dlg, "longitude", "W8 36.0");
    Child<QAbstractButton>(dlg, "ok")->click();
  });
  Trigger(cmd::kHome);
  EXPECT_EQ(shownLatitude, "S34 30.0000");
  EXPECT_EQ(shownLongitude, "E139 00.0000");
  EXPECT_DOUBLE_EQ(doc_.homeLatitude, 37.185);
  EXPECT_DOUBLE_EQ(doc_.homeLongitude, -8.6);
  EXPECT_EQ(doc_.projectionDirty, 1);
  WhenModal([&](QWidget* dlg) {
    shownLatitude = Child<QLineEdit>(dlg, "latitude")->text();
    SetText(dlg, "latitude", "N1 0");
    Child<QAbstractButton>(dlg, "cancel")->click();
  });
  Trigger(cmd::kHome);
  EXPECT_EQ(shownLatitude, "N37 11.1000");
  EXPECT_DOUBLE_EQ(doc_.homeLatitude, 37.185);

  // Default then Cancel leaves the flags; Default, an edit and OK stores them.
  doc_.filters = {0, 0, 1, 0, 1, 0, 0, 0};
  bool fillShown = false, fillAfterDefault = true;
  WhenModal([&](QWidget* dlg) {
    EXPECT_EQ(Child<QCheckBox>(dlg, "fill")->text(), "Fill packets");
    fillShown = Child<QCheckBox>(dlg, "fill")->isChecked();
    Child<QAbstractButton>(dlg, "default")->click();
    fillAfterDefault = Child<QCheckBox>(dlg, "fill")->isChecked();
    Child<QAbstractButton>(dlg, "cancel")->click();
  });
  Trigger(cmd::kFilter);
  EXPECT_TRUE(fillShown);
  EXPECT_FALSE(fillAfterDefault);
  EXPECT_EQ(doc_.filters, (std::array<int, 8>{0, 0, 1, 0, 1, 0, 0, 0}));
  WhenModal([&](QWidget* dlg) {
    Child<QAbstractButton>(dlg, "default")->click();
    Child<QCheckBox>(dlg, "sync")->setChecked(false);
    Child<QAbstractButton>(dlg, "ok")->click();
  });
  Trigger(cmd::kFilter);
  EXPECT_EQ(doc_.filters, (std::array<int, 8>{1, 1, 1, 1, 0, 1, 1, 0}));
}

TEST_F(MainFrame, LogDirectoryAndTleChoosersUseRealFileDialogs) {
  QTemporaryDir dir;
  QString title, folder;
  AcceptFileDialog(dir.path(), title, folder);
  Trigger(cmd::kLogDirectory);
  EXPECT_EQ(title, "Choose the directory for log and wave files");
  EXPECT_EQ(doc_.logDirectory, dir.path().toStdString() + "/");

  QFile(dir.filePath("orbcomm.tle")).open(QIODevice::WriteOnly);
  AcceptFileDialog(dir.filePath("orbcomm.tle"), title, folder);
  Trigger(cmd::kTleDefine);
  EXPECT_EQ(title, "Choose the two-line element file for the Orbcomm satellites");
  EXPECT_EQ(folder, QDir(dir.path()).canonicalPath());  // opens where the logs go
  EXPECT_EQ(doc_.tleFile, dir.filePath("orbcomm.tle").toStdString());
  EXPECT_TRUE(Action(cmd::kTleEnable)->isEnabled() && Action(cmd::kTleEnable)->isChecked());
}

}  // namespace
}  // namespace vantrel
