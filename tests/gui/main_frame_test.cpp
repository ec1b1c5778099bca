// The real main window, headless: menus, toolbar, status bar, command states,
// titles, and the dialogs driven through their widgets.
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

#include "app/about_dlg.h"
#include "app/command_strings.h"
#include "app/home_location_dlg.h"
#include "app/main_frame.h"
#include "app/message_filter_dlg.h"
#include "app/qt_document_host.h"
#include "document/command_ids.h"
#include "view/vantrel_view.h"

namespace vantrel {
namespace {

// Runs act on the next modal dialog once it is up (dialogs run their own
// event loop, so the test acts from a timer).
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

void Click(QWidget* dialog, const char* name) {
  auto* button = dialog->findChild<QAbstractButton*>(name);
  ASSERT_NE(button, nullptr) << name;
  button->click();
}

void SetText(QWidget* dialog, const char* name, const QString& text) {
  auto* edit = dialog->findChild<QLineEdit*>(name);
  ASSERT_NE(edit, nullptr) << name;
  edit->selectAll();
  QTest::keyClicks(edit, text);
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

TEST_F(MainFrame, MenuHasEveryItemInOrderWithItsId) {
  QStringList items;
  for (QAction* top : frame_.menuBar()->actions()) {
    items << top->text();
    ListMenu(top->menu(), top->text(), items);
  }
  const QStringList expected = {
      "&File", "&File/E&xit|57665",
      "&Edit", "&Edit/&Copy|57634",
      "&View", "&View/Signal|32771", "&View/Messages|32772", "&View/Satellites|32773",
      "&View/Chart|32774", "&View/&Toolbar|59392", "&View/&Status Bar|59393",
      "Process", "Process/Start|32775", "Process/Stop|32776",
      "Options", "Options/Output", "Options/Output/Log file|32778", "Options/Output/Raw file|32779",
      "Options/Home|32780", "Options/Directories", "Options/Directories/Log file|32781",
      "Options/Audio", "Options/Audio/Mixer|32782", "Options/Audio/Source",
      // Source items show the slots' device names: none here.
      "Options/Audio/Source/|32783", "Options/Audio/Source/|32784",
      "Options/Audio/Source/|32785", "Options/Audio/Source/|32786",
      "Options/Filter|32787", "Options/Track History|32788", "Options/TLE",
      "Options/TLE/Define|32789", "Options/TLE/Enable|32790",
      "&Help", "&Help/&Help Topics|57667", "&Help/-", "&Help/&About Vantrel...|57664"};
  EXPECT_EQ(items, expected);
}

TEST_F(MainFrame, ToolbarButtonsPromptsAndKeys) {
  QStringList buttons;
  for (QAction* a : frame_.toolBar()->actions()) {
    buttons << (a->isSeparator() ? QString("-") : QString::number(a->data().toInt()));
    if (!a->isSeparator()) {
      EXPECT_FALSE(a->icon().isNull()) << a->data().toInt();
      EXPECT_FALSE(a->toolTip().isEmpty());
    }
  }
  EXPECT_EQ(buttons, QStringList({"32775", "32776", "-", "32771", "32772", "32773", "32774", "-",
                                  "57664", "57669"}));
  EXPECT_EQ(frame_.toolBar()->iconSize(), QSize(16, 15));

  QAction* signal = Action(cmd::kViewSignal);
  EXPECT_EQ(signal->statusTip(), "View the raw signal screen");
  EXPECT_EQ(signal->toolTip(), "Signal");
  EXPECT_EQ(signal->whatsThis(), "View the raw signal screen");
  EXPECT_EQ(Action(cmd::kContextHelp)->statusTip(),
            "Display help for clicked on buttons, menus and windows");
  EXPECT_EQ(Action(cmd::kOutputRaw)->statusTip(), "Toggle Raw file saving");

  EXPECT_EQ(Action(cmd::kEditCopy)->shortcuts(),
            QList<QKeySequence>({QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Insert")}));
  EXPECT_EQ(Action(cmd::kFilePrint)->shortcut(), QKeySequence("Ctrl+P"));
  EXPECT_EQ(Action(cmd::kFileNew)->shortcut(), QKeySequence("Ctrl+N"));
  EXPECT_EQ(Action(cmd::kHelp)->shortcut(), QKeySequence("F1"));
  EXPECT_EQ(Action(cmd::kContextHelp)->shortcut(), QKeySequence("Shift+F1"));
  EXPECT_EQ(frame_.action(cmd::kFileOpen), nullptr);
  EXPECT_EQ(frame_.action(cmd::kFileSave), nullptr);
}

TEST_F(MainFrame, StatusBarIdleTextAndPolarityPane) {
  EXPECT_EQ(frame_.statusBar()->currentMessage(), "For Help, press F1");
  frame_.statusBar()->showMessage("Define Home location");
  frame_.statusBar()->clearMessage();
  EXPECT_EQ(frame_.statusBar()->currentMessage(), "For Help, press F1");
  EXPECT_EQ(frame_.polarityPane()->text(), "Signal inverted");  // polarity flag starts at 1
  doc_.polarity = 0;
  frame_.UpdateCommandStates();
  EXPECT_EQ(frame_.polarityPane()->text(), "Signal upright");
}

TEST_F(MainFrame, ScreenCommandsCheckOneItemAndButton) {
  EXPECT_TRUE(Action(cmd::kViewSignal)->isChecked());
  Trigger(cmd::kViewChart);
  EXPECT_EQ(doc_.viewState, 2);
  for (int id : {cmd::kViewSignal, cmd::kViewMessages, cmd::kViewSatellites, cmd::kViewChart})
    EXPECT_EQ(Action(id)->isChecked(), id == cmd::kViewChart) << id;
  // Triggering the checked item again keeps it checked.
  Trigger(cmd::kViewChart);
  EXPECT_TRUE(Action(cmd::kViewChart)->isChecked());
  Trigger(cmd::kViewSatellites);
  EXPECT_EQ(doc_.viewState, 3);
}

TEST_F(MainFrame, ToggleAndSourceStatesFollowTheDocument) {
  EXPECT_TRUE(Action(cmd::kOutputLog)->isChecked());
  Trigger(cmd::kOutputLog);
  Trigger(cmd::kOutputRaw);
  Trigger(cmd::kTrackHistory);
  EXPECT_EQ(doc_.logFlag, 0);
  EXPECT_EQ(doc_.rawFlag, 1);
  EXPECT_EQ(doc_.trackHistory, 1);
  EXPECT_FALSE(Action(cmd::kOutputLog)->isChecked());
  EXPECT_TRUE(Action(cmd::kOutputRaw)->isChecked());
  EXPECT_TRUE(Action(cmd::kTrackHistory)->isChecked());
  EXPECT_FALSE(Action(cmd::kTleEnable)->isEnabled());

  doc_.deviceName[0] = "TestInput";
  frame_.UpdateCommandStates();
  EXPECT_EQ(Action(cmd::kSource1)->text(), "TestInput");
  EXPECT_TRUE(Action(cmd::kSource1)->isChecked());
  Trigger(cmd::kSource1 + 1);
  EXPECT_EQ(doc_.soundCardSlot, 1);
  EXPECT_FALSE(Action(cmd::kSource1)->isChecked());
  EXPECT_TRUE(Action(cmd::kSource1 + 1)->isChecked());
  EXPECT_TRUE(Action(cmd::kStart)->isEnabled());
  EXPECT_FALSE(Action(cmd::kStop)->isEnabled());

  doc_.captureRunning = 1;
  frame_.UpdateCommandStates();
  EXPECT_FALSE(Action(cmd::kStart)->isEnabled());
  EXPECT_TRUE(Action(cmd::kStop)->isEnabled());
  for (int n = 0; n < 4; ++n) EXPECT_FALSE(Action(cmd::kSource1 + n)->isEnabled());
  doc_.captureRunning = 0;
}

TEST_F(MainFrame, BarsToggleFromTheViewMenu) {
  EXPECT_TRUE(Action(cmd::kViewToolbar)->isChecked());
  Trigger(cmd::kViewToolbar);
  EXPECT_TRUE(frame_.toolBar()->isHidden());
  EXPECT_FALSE(Action(cmd::kViewToolbar)->isChecked());
  Trigger(cmd::kViewStatusBar);
  EXPECT_TRUE(frame_.statusBar()->isHidden());
  EXPECT_FALSE(Action(cmd::kViewStatusBar)->isChecked());
  Trigger(cmd::kViewToolbar);
  Trigger(cmd::kViewStatusBar);
  EXPECT_FALSE(frame_.toolBar()->isHidden());
  EXPECT_FALSE(frame_.statusBar()->isHidden());
}

TEST_F(MainFrame, TitlesFromStartStopAndClose) {
  EXPECT_EQ(frame_.windowTitle(), "Untitled - Vantrel");
  // No audio system attached: Start reports it and leaves the title alone.
  Trigger(cmd::kStart);
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].startsWith("On opening the wave device.."));
  EXPECT_EQ(frame_.windowTitle(), "Untitled - Vantrel");
  frame_.host().SetMainWindowTitle("Vantrel from Brennick - processing live signals");
  EXPECT_EQ(frame_.windowTitle(), "Vantrel from Brennick - processing live signals");
  // Stop is greyed while stopped; run it as capture's own code paths can.
  Trigger(cmd::kStop);
  EXPECT_EQ(frame_.windowTitle(), "Vantrel from Brennick - processing live signals");
  frame_.RunCommand(cmd::kStop);
  EXPECT_EQ(frame_.windowTitle(), "Vantrel from Brennick - processing stopped");
  frame_.setWindowTitle("x");
  frame_.close();  // the close box stops capture first
  EXPECT_EQ(frame_.windowTitle(), "Vantrel from Brennick - processing stopped");
}

TEST_F(MainFrame, FileNewKeepsEveryMember) {
  doc_.viewState = 1;
  doc_.messages[0] = "Spacecraft FM-12 137.5000MHz frame 03";
  doc_.messageHead = 1;
  doc_.satellites[12].frequency = 137.5;
  QTest::keyClick(&frame_, Qt::Key_N, Qt::ControlModifier);
  Trigger(cmd::kFileNew);
  EXPECT_EQ(doc_.viewState, 1);
  EXPECT_EQ(doc_.messages[0], "Spacecraft FM-12 137.5000MHz frame 03");
  EXPECT_EQ(doc_.messageHead, 1);
  EXPECT_EQ(doc_.satellites[12].frequency, 137.5);
  EXPECT_EQ(frame_.windowTitle(), "Untitled - Vantrel");
}

TEST_F(MainFrame, HelpOpensTheShippedManual) {
  QList<QUrl> opened;
  frame_.SetUrlOpener([&](const QUrl& url) {
    opened << url;
    return true;
  });
  Trigger(cmd::kHelp);
  Trigger(cmd::kHelpTopics);
  ASSERT_EQ(opened.size(), 2);
  EXPECT_TRUE(opened[0].isLocalFile());
  EXPECT_TRUE(opened[0].toLocalFile().endsWith("manual/index.html"));
  EXPECT_TRUE(messages_.isEmpty());
  frame_.SetUrlOpener([](const QUrl&) { return false; });
  Trigger(cmd::kHelp);
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].startsWith("No web browser could open the manual"));
}

TEST_F(MainFrame, HomeDialogFormatsAndParsesThroughItsEdits) {
  QString shownLatitude, shownLongitude, title;
  WhenModal([&](QWidget* dlg) {
    title = dlg->windowTitle();
    shownLatitude = dlg->findChild<QLineEdit*>("latitude")->text();
    shownLongitude = dlg->findChild<QLineEdit*>("longitude")->text();
    SetText(dlg, "latitude", "N37 11.1");
    SetText(dlg, "longitude", "W8 36.0");
    Click(dlg, "ok");
  });
  Trigger(cmd::kHome);
  EXPECT_EQ(title, "Home location");
  EXPECT_EQ(shownLatitude, "S34 30.0000");
  EXPECT_EQ(shownLongitude, "E139 00.0000");
  EXPECT_DOUBLE_EQ(doc_.homeLatitude, 37.185);
  EXPECT_DOUBLE_EQ(doc_.homeLongitude, -8.6);
  EXPECT_EQ(doc_.projectionDirty, 1);

  WhenModal([&](QWidget* dlg) {
    shownLatitude = dlg->findChild<QLineEdit*>("latitude")->text();
    SetText(dlg, "latitude", "n37 11.1");
    Click(dlg, "ok");
  });
  Trigger(cmd::kHome);
  EXPECT_EQ(shownLatitude, "N37 11.1000");
  EXPECT_DOUBLE_EQ(doc_.homeLatitude, -37.185);

  WhenModal([&](QWidget* dlg) {
    SetText(dlg, "latitude", "N1 0");
    Click(dlg, "cancel");
  });
  Trigger(cmd::kHome);
  EXPECT_DOUBLE_EQ(doc_.homeLatitude, -37.185);
}

TEST_F(MainFrame, UnreadableHomeTextKeepsTheLocation) {
  WhenModal([&](QWidget* dlg) {
    SetText(dlg, "latitude", "north");
    Click(dlg, "ok");
    // Offered again with the text as typed; give up.
    WhenModal([](QWidget* again) {
      EXPECT_EQ(again->findChild<QLineEdit*>("latitude")->text(), "north");
      Click(again, "cancel");
    });
  });
  Trigger(cmd::kHome);
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].contains("latitude"));
  EXPECT_DOUBLE_EQ(doc_.homeLatitude, -34.5);
}

TEST_F(MainFrame, FilterDialogDefaultThenCancelLeavesFlags) {
  doc_.filters = {0, 0, 1, 0, 1, 0, 0, 0};
  std::array<bool, 8> shown{};
  WhenModal([&](QWidget* dlg) {
    EXPECT_EQ(dlg->windowTitle(), "Message filter");
    EXPECT_EQ(dlg->findChild<QCheckBox*>("fill")->text(), "Fill packets");
    shown[0] = dlg->findChild<QCheckBox*>("message")->isChecked();
    shown[4] = dlg->findChild<QCheckBox*>("fill")->isChecked();
    Click(dlg, "default");
    EXPECT_FALSE(dlg->findChild<QCheckBox*>("fill")->isChecked());
    EXPECT_TRUE(dlg->findChild<QCheckBox*>("sync")->isChecked());
    Click(dlg, "cancel");
  });
  Trigger(cmd::kFilter);
  EXPECT_FALSE(shown[0]);
  EXPECT_TRUE(shown[4]);
  EXPECT_EQ(doc_.filters, (std::array<int, 8>{0, 0, 1, 0, 1, 0, 0, 0}));

  WhenModal([&](QWidget* dlg) {
    Click(dlg, "default");
    dlg->findChild<QCheckBox*>("sync")->setChecked(false);
    Click(dlg, "ok");
  });
  Trigger(cmd::kFilter);
  EXPECT_EQ(doc_.filters, (std::array<int, 8>{1, 1, 1, 1, 0, 1, 1, 0}));
}

TEST_F(MainFrame, LogDirectoryAndTleChoosersUseRealFileDialogs) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QString title;
  WhenModal([&](QWidget* w) {
    auto* dlg = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dlg, nullptr);
    title = dlg->windowTitle();
    dlg->setDirectory(dir.path());
    dlg->selectFile(dir.path());
    QMetaObject::invokeMethod(dlg, "accept");
  });
  Trigger(cmd::kLogDirectory);
  EXPECT_EQ(title, "Choose the directory for log and wave files");
  EXPECT_EQ(doc_.logDirectory, dir.path().toStdString() + "/");

  QFile tle(dir.filePath("orbcomm.tle"));
  ASSERT_TRUE(tle.open(QIODevice::WriteOnly));
  tle.close();
  WhenModal([&](QWidget* w) {
    auto* dlg = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dlg, nullptr);
    title = dlg->windowTitle();
    EXPECT_EQ(QDir(dlg->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
    dlg->selectFile(tle.fileName());
    QMetaObject::invokeMethod(dlg, "accept");
  });
  Trigger(cmd::kTleDefine);
  EXPECT_EQ(title, "Choose the two-line element file for the Orbcomm satellites");
  EXPECT_EQ(doc_.tleFile, tle.fileName().toStdString());
  EXPECT_EQ(doc_.tleEnable, 1);
  EXPECT_TRUE(Action(cmd::kTleEnable)->isEnabled());
  EXPECT_TRUE(Action(cmd::kTleEnable)->isChecked());
}

TEST_F(MainFrame, MixerStartsTheInputVolumeControlOrSaysNoneIsInstalled) {
  QTemporaryDir bin;
  ASSERT_TRUE(bin.isValid());
  const QByteArray oldPath = qgetenv("PATH");
  qputenv("PATH", bin.path().toLocal8Bit());
  Trigger(cmd::kMixer);
  ASSERT_EQ(messages_.size(), 1);
  EXPECT_TRUE(messages_[0].startsWith("No audio mixer program is installed"));

  const QString log = bin.filePath("args");
  QFile fake(bin.filePath("pavucontrol"));
  ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
  fake.write(("#!/bin/sh\necho \"$@\" > " + log + "\n").toUtf8());
  fake.close();
  fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  Trigger(cmd::kMixer);
  qputenv("PATH", oldPath);
  QFile args(log);
  for (int i = 0; i < 200 && !args.exists(); ++i) QTest::qWait(10);
  QTest::qWait(20);
  ASSERT_TRUE(args.open(QIODevice::ReadOnly));
  EXPECT_EQ(args.readAll().trimmed(), "--tab=4");
  EXPECT_EQ(messages_.size(), 1);
}

TEST_F(MainFrame, AboutBoxShowsTheVersion) {
  QString title, version;
  WhenModal([&](QWidget* dlg) {
    title = dlg->windowTitle();
    version = dlg->findChild<QLabel*>("version")->text();
    dlg->findChild<QAbstractButton*>()->click();  // its only button, OK
  });
  Trigger(cmd::kAppAbout);
  EXPECT_EQ(title, "About Vantrel");
  EXPECT_EQ(version, "Vantrel version 1.3");
}

}  // namespace
}  // namespace vantrel
