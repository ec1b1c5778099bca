// The real main window, headless: command states, titles, and the dialogs
// driven through their widgets.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
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
void WhenModal(const std::function<void(QWidget*)>& act) {
  QTimer::singleShot(10, [act] {
    if (QWidget* w = QApplication::activeModalWidget()) return act(w);
    WhenModal(act);
  });
}

template <typename T>
T* Child(QWidget* dialog, const char* name) {
  auto* child = dialog->findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name;
  return child;
}

class MainWindow : public ::testing::Test {
 protected:
  MainWindow() : doc_(clock_, "/opt/vantrel/"), frame_(doc_, "Vantrel version 1.3") {
    doc_.SetHost(&frame_.host());
    frame_.host().SetMessageSink([this](const QString& m) { messages_ << m; });
    frame_.show();
  }
  ~MainWindow() override { doc_.SetHost(nullptr); }
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
  VantrelDoc doc_;
  MainFrame frame_;
  QStringList messages_;
};

// The command rules themselves are the command tests'; here they reach the window.
TEST_F(MainWindow, CommandsUpdateChecksEnablesBarsAndPolarityPane) {
  doc_.deviceName[0] = "TestInput", doc_.deviceName[1] = "OtherInput";
  for (int id : {cmd::kViewChart, cmd::kOutputRaw, cmd::kViewToolbar, cmd::kViewStatusBar,
                 cmd::kSource1 + 1})
    Trigger(id);
  EXPECT_EQ(std::tie(doc_.viewState, doc_.rawFlag, doc_.soundCardSlot), std::make_tuple(2, 1, 1));
  EXPECT_TRUE(Action(cmd::kViewChart)->isChecked());
  EXPECT_TRUE(Action(cmd::kSource1)->isCheckable());
  EXPECT_FALSE(Action(cmd::kSource1)->isChecked());
  EXPECT_TRUE(frame_.toolBar()->isHidden());
  EXPECT_TRUE(frame_.statusBar()->isHidden());
  EXPECT_EQ(Action(cmd::kSource1)->text(), "TestInput");
  doc_.captureRunning = 1, doc_.packetSearch().SetPolarity(1);
  frame_.UpdateCommandStates();
  EXPECT_FALSE(Action(cmd::kStart)->isEnabled());
  EXPECT_TRUE(Action(cmd::kStop)->isEnabled());
  EXPECT_EQ(frame_.polarityPane()->text(), "Signal inverted");
}

// The titles themselves are the capture tests'.
TEST_F(MainWindow, TitlesReachTheWindowAndTheCloseBoxStopsCapture) {
  frame_.host().SetMainWindowTitle("Vantrel from Brennick - processing live signals");
  EXPECT_EQ(frame_.windowTitle(), "Vantrel from Brennick - processing live signals");
  frame_.close();
  EXPECT_EQ(frame_.windowTitle(), "Vantrel from Brennick - processing stopped");
}

// A manual that cannot be opened is a message, not a failure.
TEST_F(MainWindow, HelpOpensTheManualOrSaysWhyNot) {
  QList<QUrl> opened;
  frame_.SetUrlOpener([&](const QUrl& url) { return opened << url, true; });
  Trigger(cmd::kHelpTopics);
  ASSERT_EQ(opened.size(), 1);
  EXPECT_TRUE(opened[0].toLocalFile().endsWith("manual/index.html"));
  frame_.SetUrlOpener([](const QUrl&) { return false; });
  Trigger(cmd::kHelp);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_TRUE(messages_[0].startsWith("No web browser could open"));
}

// What the dialogs accept is the command tests'; here the widgets carry it.
TEST_F(MainWindow, HomeAndFilterDialogsThroughTheirWidgets) {
  WhenModal([&](QWidget* dlg) {
    for (const char* name : {"latitude", "longitude"}) Child<QLineEdit>(dlg, name)->selectAll();
    QTest::keyClicks(Child<QLineEdit>(dlg, "latitude"), "N37 11.1");
    QTest::keyClicks(Child<QLineEdit>(dlg, "longitude"), "W8 36.0");
    Child<QAbstractButton>(dlg, "ok")->click();
  });
  Trigger(cmd::kHome);
  EXPECT_EQ(std::pair(doc_.homeLatitude, doc_.homeLongitude), std::pair(37.185, -8.6));

  doc_.interpreter().filters() = {0, 0, 1, 0, 1, 0, 0, 0, 0};
  bool fillShown = false;
  WhenModal([&](QWidget* dlg) {
    fillShown = Child<QCheckBox>(dlg, "fill")->isChecked();
    Child<QAbstractButton>(dlg, "default")->click();
    Child<QCheckBox>(dlg, "sync")->setChecked(false);
    Child<QCheckBox>(dlg, "other")->setChecked(false);
    Child<QAbstractButton>(dlg, "ok")->click();
  });
  Trigger(cmd::kFilter);
  EXPECT_TRUE(fillShown);
  EXPECT_EQ(doc_.interpreter().filters(), (PacketFilters{1, 1, 1, 1, 0, 1, 1, 0, 0}));
}

// Typed device arguments are tidied; the centre is kept in whole Hz whatever
// the spin box's binary fraction.
TEST_F(MainWindow, SdrDialogTidiesDeviceArgumentsAndKeepsWholeHertz) {
  WhenModal([&](QWidget* dlg) {
    EXPECT_EQ(Child<QComboBox>(dlg, "found")->currentText(), "None found");
    QTest::keyClicks(Child<QLineEdit>(dlg, "device"), " serial=7 , driver=one");
    Child<QDoubleSpinBox>(dlg, "centre")->setValue(137.1);
    Child<QDoubleSpinBox>(dlg, "ppm")->setValue(-2.5);
    Child<QAbstractButton>(dlg, "ok")->click();
  });
  Trigger(cmd::kSdrOptions);
  EXPECT_EQ(std::tie(doc_.sdrTuning.device, doc_.sdrTuning.centreHz, doc_.sdrTuning.ppm),
            std::make_tuple("driver=one,serial=7", 137100000.0, -2.5));
}

TEST_F(MainWindow, LogDirectoryAndTleChoosersUseRealFileDialogs) {
  // A file chosen in the real dialog reaches the document.
  QTemporaryDir dir;
  QFile(dir.filePath("orbcomm.tle")).open(QIODevice::WriteOnly);
  WhenModal([&dir](QWidget* w) {
    Child<QLineEdit>(w, "fileNameEdit")->setText(dir.filePath("orbcomm.tle"));
    QMetaObject::invokeMethod(w, "accept");
  });
  Trigger(cmd::kTleDefine);
  EXPECT_EQ(doc_.tleFile, dir.filePath("orbcomm.tle").toStdString());

  // The choosers open where the logs go, but never in /proc, /sys or /dev, and list by name
  // alone (reading a file such as /proc/kmsg can wait for ever and freeze the window).
  QFile(dir.filePath("kmsg")).open(QIODevice::WriteOnly);
  QString folder;
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(inotify_add_watch(watch, QFile::encodeName(dir.path()).constData(), IN_OPEN), 0);
  for (const auto& [id, logs, start] :
       {std::tuple{cmd::kLogDirectory, QString("/proc/self"), QDir::homePath()},
        {cmd::kLogDirectory, dir.path(), dir.path()},
        {cmd::kTleDefine, dir.path(), dir.path()}}) {
    doc_.logDirectory = logs.toStdString() + "/";
    WhenModal([&folder](QWidget* w) {
      folder = qobject_cast<QFileDialog*>(w)->directory().canonicalPath();
      QTest::qWait(500);  // the list fills
      qobject_cast<QFileDialog*>(w)->reject();
    });
    Trigger(id);
    EXPECT_EQ(folder.toStdString(), QDir(start).canonicalPath().toStdString());
  }
  alignas(inotify_event) char events[4096];
  for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;)
    for (char* p = events; p < events + n;) {
      const auto* e = reinterpret_cast<inotify_event*>(p);
      EXPECT_STRNE(e->len ? e->name : "", "kmsg");
      p += sizeof(inotify_event) + e->len;
    }
  ::close(watch);
}

}  // namespace
}  // namespace vantrel
