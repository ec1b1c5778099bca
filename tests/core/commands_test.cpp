// The receiver's commands and update handlers, driven through scripted
// dialogs and a recording host.
#include <gtest/gtest.h>

#include <deque>

#include "document/commands.h"
#include "document/home_location.h"

namespace vantrel {
namespace {

class RecordingHost final : public DocumentHost {
 public:
  void UpdateAllViews() override { ++updates; }
  void SetMainWindowTitle(const std::string& title) override { this->title = title; }
  std::uint32_t SetViewTimer(int eventId, int) override { return static_cast<std::uint32_t>(eventId); }
  void KillViewTimer(std::uint32_t) override {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ClearTrackHistory() override { ++historyClears; }
  int updates = 0;
  int historyClears = 0;
  std::string title;
  std::vector<std::string> messages;
};

// Each dialog answers from a queue of scripted replies and records what it
// was shown.
class ScriptedDialogs final : public CommandDialogs {
 public:
  struct HomeReply {
    bool ok;
    std::string latitude, longitude;
  };
  bool RunHomeLocation(std::string& latitude, std::string& longitude) override {
    shownHome.push_back({true, latitude, longitude});
    if (homeReplies.empty()) return false;
    HomeReply r = homeReplies.front();
    homeReplies.pop_front();
    if (r.ok) latitude = r.latitude, longitude = r.longitude;
    return r.ok;
  }
  bool RunMessageFilter(std::array<int, 8>& flags) override {
    shownFilters = flags;
    if (!filterReply) return false;
    flags = *filterReply;
    return true;
  }
  std::optional<std::string> ChooseDirectory(const std::string& title, const std::string& start) override {
    lastTitle = title, lastStart = start;
    return directoryReply;
  }
  std::optional<std::string> ChooseExistingFile(const std::string& title, const std::string& initial) override {
    lastTitle = title, lastStart = initial;
    return fileReply;
  }
  bool LaunchMixer(int slot) override {
    mixerSlot = slot;
    return mixerInstalled;
  }
  std::deque<HomeReply> homeReplies;
  std::vector<HomeReply> shownHome;
  std::optional<std::array<int, 8>> filterReply;
  std::array<int, 8> shownFilters{};
  std::optional<std::string> directoryReply, fileReply;
  std::string lastTitle, lastStart;
  bool mixerInstalled = true;
  int mixerSlot = -99;
};

class Commands : public ::testing::Test {
 protected:
  Commands() : doc_(clock_, "/opt/vantrel/") { doc_.SetHost(&host_); }
  CommandState State(int id) const { return UpdateDocumentCommand(doc_, id); }
  HeldClock clock_;
  CVantrelDoc doc_;
  RecordingHost host_;
  ScriptedDialogs dialogs_;
};

TEST(HomeLocationText, FormatsLetterDegreesAndMinutes) {
  EXPECT_EQ(FormatHomeCoordinate(-34.5, 'N', 'S'), "S34 30.0000");
  EXPECT_EQ(FormatHomeCoordinate(139.0, 'E', 'W'), "E139 00.0000");
  EXPECT_EQ(FormatHomeCoordinate(37.185, 'N', 'S'), "N37 11.1000");
  EXPECT_EQ(FormatHomeCoordinate(-8.6, 'E', 'W'), "W08 36.0000");
  EXPECT_EQ(FormatHomeCoordinate(0.0, 'N', 'S'), "N00 00.0000");
  // Values from damaged settings still format to something readable.
  EXPECT_EQ(FormatHomeCoordinate(std::numeric_limits<double>::quiet_NaN(), 'N', 'S'), "N00 00.0000");
}

TEST(HomeLocationText, ParsesAsTheReceiverAlwaysHas) {
  EXPECT_DOUBLE_EQ(ParseHomeLatitude("N37 11.1"), 37 + 11.1 * 0.016666666666666666);
  EXPECT_DOUBLE_EQ(ParseHomeLongitude("W8 36.0"), -(8 + 36.0 * 0.016666666666666666));
  EXPECT_DOUBLE_EQ(ParseHomeLatitude("n37 11.1"), -37.185);  // only upper-case N is north
  EXPECT_DOUBLE_EQ(ParseHomeLongitude("e10 0"), -10.0);
  EXPECT_DOUBLE_EQ(ParseHomeLatitude("S34 30.0000"), -34.5);
  EXPECT_DOUBLE_EQ(ParseHomeLatitude("37 11.1"), -(7 + 11.1 / 60));  // first digit taken as the letter
  EXPECT_DOUBLE_EQ(ParseHomeLatitude("N37"), 37.0);
  EXPECT_DOUBLE_EQ(ParseHomeLatitude("N10 75"), 11.25);  // minutes are not range-checked
  EXPECT_EQ(ParseHomeLatitude(""), 0.0);
  EXPECT_EQ(ParseHomeLatitude("Nabc"), 0.0);
  EXPECT_EQ(ParseHomeLatitude("N99999999999999999999 1"), 0.0);  // out of range: unread
  // Formatting then parsing gives the value back to the printed precision.
  for (double v : {-34.5, 139.0, 37.185, -8.6, 51.4778, -0.0015, 179.99})
    EXPECT_NEAR(ParseHomeLongitude(FormatHomeCoordinate(v, 'E', 'W')), v, 1e-6) << v;
}

TEST(HomeLocationText, ReadableNeedsALetterAndDegrees) {
  EXPECT_TRUE(HomeCoordinateReadable("N37 11.1"));
  EXPECT_TRUE(HomeCoordinateReadable("N37"));
  EXPECT_TRUE(HomeCoordinateReadable("37 11.1"));
  EXPECT_FALSE(HomeCoordinateReadable(""));
  EXPECT_FALSE(HomeCoordinateReadable("N"));
  EXPECT_FALSE(HomeCoordinateReadable("North"));
}

TEST_F(Commands, ViewCommandsSetTheScreenAndRedraw) {
  const struct { int id; int state; } cases[] = {{cmd::kViewChart, 2}, {cmd::kViewMessages, 1},
                                                 {cmd::kViewSatellites, 3}, {cmd::kViewSignal, 0}};
  int updates = 0;
  for (auto c : cases) {
    ASSERT_TRUE(RunDocumentCommand(doc_, dialogs_, c.id));
    EXPECT_EQ(doc_.viewState, c.state);
    EXPECT_EQ(host_.updates, ++updates);
    for (int other : {cmd::kViewSignal, cmd::kViewMessages, cmd::kViewSatellites, cmd::kViewChart})
      EXPECT_EQ(State(other).checked, other == c.id) << other;
  }
}

TEST_F(Commands, TogglesNegateWithoutRedrawExceptTrackHistory) {
  EXPECT_TRUE(State(cmd::kOutputLog).checked);
  EXPECT_FALSE(State(cmd::kOutputRaw).checked);
  RunDocumentCommand(doc_, dialogs_, cmd::kOutputLog);
  RunDocumentCommand(doc_, dialogs_, cmd::kOutputRaw);
  EXPECT_EQ(doc_.logFlag, 0);
  EXPECT_EQ(doc_.rawFlag, 1);
  EXPECT_EQ(host_.updates, 0);
  doc_.rawFlag = 7;  // any non-zero value toggles to 0
  RunDocumentCommand(doc_, dialogs_, cmd::kOutputRaw);
  EXPECT_EQ(doc_.rawFlag, 0);
  RunDocumentCommand(doc_, dialogs_, cmd::kTrackHistory);
  EXPECT_EQ(doc_.trackHistory, 1);
  EXPECT_TRUE(State(cmd::kTrackHistory).checked);
  EXPECT_EQ(host_.updates, 1);
}

TEST_F(Commands, HomeDialogShowsStoredLocationAndParsesOk) {
  dialogs_.homeReplies.push_back({true, "N37 11.1", "W8 36.0"});
  RunDocumentCommand(doc_, dialogs_, cmd::kHome);
  ASSERT_EQ(dialogs_.shownHome.size(), 1u);
  EXPECT_EQ(dialogs_.shownHome[0].latitude, "S34 30.0000");
  EXPECT_EQ(dialogs_.shownHome[0].longitude, "E139 00.0000");
  EXPECT_DOUBLE_EQ(doc_.homeLatitude, 37.185);
  EXPECT_DOUBLE_EQ(doc_.homeLongitude, -8.6);
  EXPECT_EQ(host_.historyClears, 1);
  EXPECT_EQ(host_.updates, 1);
}

TEST_F(Commands, HomeOkWithoutEditsKeepsTheLocation) {
  dialogs_.homeReplies.push_back({true, "S34 30.0000", "E139 00.0000"});
  doc_.projectionDirty = 0;
  RunDocumentCommand(doc_, dialogs_, cmd::kHome);
  EXPECT_DOUBLE_EQ(doc_.homeLatitude, -34.5);
  EXPECT_DOUBLE_EQ(doc_.homeLongitude, 139.0);
  EXPECT_EQ(doc_.projectionDirty, 1);
}

TEST_F(Commands, HomeCancelChangesNothing) {
  doc_.projectionDirty = 0;
  dialogs_.homeReplies.push_back({false, "", ""});
  RunDocumentCommand(doc_, dialogs_, cmd::kHome);
  EXPECT_DOUBLE_EQ(doc_.homeLatitude, -34.5);
  EXPECT_EQ(doc_.projectionDirty, 0);
  EXPECT_EQ(host_.historyClears + host_.updates, 0);
}

TEST_F(Commands, UnreadableHomeTextIsRefusedAndOfferedAgain) {
  dialogs_.homeReplies.push_back({true, "", "W8 36.0"});
  dialogs_.homeReplies.push_back({true, "N37 11.1", "somewhere"});
  dialogs_.homeReplies.push_back({false, "", ""});
  RunDocumentCommand(doc_, dialogs_, cmd::kHome);
  ASSERT_EQ(host_.messages.size(), 2u);
  EXPECT_NE(host_.messages[0].find("latitude"), std::string::npos);
  EXPECT_NE(host_.messages[1].find("longitude"), std::string::npos);
  // The second showing carries what the user typed the first time.
  ASSERT_EQ(dialogs_.shownHome.size(), 3u);
  EXPECT_EQ(dialogs_.shownHome[1].longitude, "W8 36.0");
  EXPECT_DOUBLE_EQ(doc_.homeLatitude, -34.5);
  EXPECT_DOUBLE_EQ(doc_.homeLongitude, 139.0);
}

TEST_F(Commands, FilterDialogCopiesFlagsInAndOut) {
  doc_.filters = {0, 1, 0, 1, 1, 0, 1, 0};
  RunDocumentCommand(doc_, dialogs_, cmd::kFilter);  // cancelled
  EXPECT_EQ(dialogs_.shownFilters, (std::array<int, 8>{0, 1, 0, 1, 1, 0, 1, 0}));
  EXPECT_EQ(doc_.filters, (std::array<int, 8>{0, 1, 0, 1, 1, 0, 1, 0}));
  dialogs_.filterReply = std::array<int, 8>{1, 1, 1, 1, 0, 1, 1, 1};
  RunDocumentCommand(doc_, dialogs_, cmd::kFilter);
  EXPECT_EQ(doc_.filters, (std::array<int, 8>{1, 1, 1, 1, 0, 1, 1, 1}));
  EXPECT_EQ(host_.updates, 0);
}

TEST_F(Commands, LogDirectoryAlwaysEndsInOneSlash) {
  EXPECT_EQ(doc_.logDirectory, "/opt/vantrel/Log files/");
  RunDocumentCommand(doc_, dialogs_, cmd::kLogDirectory);  // cancelled
  EXPECT_EQ(dialogs_.lastTitle, "Choose the directory for log and wave files");
  EXPECT_EQ(dialogs_.lastStart, "/opt/vantrel/Log files/");
  EXPECT_EQ(doc_.logDirectory, "/opt/vantrel/Log files/");
  doc_.logDirectory = "/var/log/vantrel";  // e.g. stored by an older run
  RunDocumentCommand(doc_, dialogs_, cmd::kLogDirectory);
  EXPECT_EQ(doc_.logDirectory, "/var/log/vantrel/");
  dialogs_.directoryReply = "/tmp/logs";
  RunDocumentCommand(doc_, dialogs_, cmd::kLogDirectory);
  EXPECT_EQ(doc_.logDirectory, "/tmp/logs/");
  dialogs_.directoryReply = "/tmp/logs/";  // the same directory again
  RunDocumentCommand(doc_, dialogs_, cmd::kLogDirectory);
  EXPECT_EQ(doc_.logDirectory, "/tmp/logs/");
  EXPECT_EQ(WithOneTrailingSlash("/"), "/");
  EXPECT_EQ(WithOneTrailingSlash("/a//"), "/a/");
  EXPECT_EQ(WithOneTrailingSlash(""), "/");
}

TEST_F(Commands, SourceRuleFollowsSlotsAndCapture) {
  doc_.deviceName[0] = "USB Audio";
  doc_.deviceId[0] = 0;
  for (int n = 0; n < 4; ++n) {
    const CommandState s = State(cmd::kSource1 + n);
    EXPECT_TRUE(s.setsText);
    EXPECT_EQ(s.text, n == 0 ? "USB Audio" : "");
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.checked, n == 0);
  }
  RunDocumentCommand(doc_, dialogs_, cmd::kSource1 + 2);
  EXPECT_EQ(doc_.soundCardSlot, 2);
  EXPECT_TRUE(State(cmd::kSource1 + 2).checked);
  EXPECT_FALSE(State(cmd::kSource1).checked);
  EXPECT_TRUE(State(cmd::kStart).enabled);
  EXPECT_FALSE(State(cmd::kStop).enabled);

  doc_.captureRunning = 1;
  for (int n = 0; n < 4; ++n) EXPECT_FALSE(State(cmd::kSource1 + n).enabled);
  EXPECT_FALSE(State(cmd::kStart).enabled);
  EXPECT_TRUE(State(cmd::kStop).enabled);
  // Start and Stop are capture's; this dispatcher leaves them alone.
  EXPECT_FALSE(RunDocumentCommand(doc_, dialogs_, cmd::kStart));
  EXPECT_FALSE(RunDocumentCommand(doc_, dialogs_, cmd::kStop));
}

TEST_F(Commands, MixerLaunchesForTheSelectedSlotOrSaysNoneIsInstalled) {
  doc_.soundCardSlot = 3;
  RunDocumentCommand(doc_, dialogs_, cmd::kMixer);
  EXPECT_EQ(dialogs_.mixerSlot, 3);
  EXPECT_TRUE(host_.messages.empty());
  dialogs_.mixerInstalled = false;
  RunDocumentCommand(doc_, dialogs_, cmd::kMixer);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0], kNoMixerMessage);
}

TEST_F(Commands, TleDefineAndEnable) {
  EXPECT_FALSE(State(cmd::kTleEnable).enabled);
  doc_.tleEnable = 1;  // a flag without a file shows unchecked
  EXPECT_FALSE(State(cmd::kTleEnable).checked);
  doc_.tleEnable = 0;

  RunDocumentCommand(doc_, dialogs_, cmd::kTleDefine);  // cancelled
  EXPECT_EQ(dialogs_.lastTitle, "Choose the two-line element file for the Orbcomm satellites");
  EXPECT_EQ(dialogs_.lastStart, "/opt/vantrel/Log files/*.tle");
  EXPECT_EQ(doc_.tleFile, "");
  EXPECT_EQ(doc_.tleEnable, 0);

  dialogs_.fileReply = "/data/orbcomm.tle";
  RunDocumentCommand(doc_, dialogs_, cmd::kTleDefine);
  EXPECT_EQ(doc_.tleFile, "/data/orbcomm.tle");
  EXPECT_EQ(doc_.tleEnable, 1);
  EXPECT_TRUE(State(cmd::kTleEnable).enabled);
  EXPECT_TRUE(State(cmd::kTleEnable).checked);
  RunDocumentCommand(doc_, dialogs_, cmd::kTleEnable);
  EXPECT_EQ(doc_.tleEnable, 0);
  EXPECT_FALSE(State(cmd::kTleEnable).checked);
}

TEST_F(Commands, UnknownIdsAreNotHandledAndStayEnabled) {
  EXPECT_FALSE(RunDocumentCommand(doc_, dialogs_, 12345));
  const CommandState s = State(cmd::kHome);
  EXPECT_TRUE(s.enabled);
  EXPECT_FALSE(s.checked);
  EXPECT_FALSE(IsCheckableCommand(cmd::kHome));
  EXPECT_TRUE(IsCheckableCommand(cmd::kSource4));
}

}  // namespace
}  // namespace vantrel
