// Options > TLE > Update from the web against an HTTP server of the test's
// own, through the real Qt Network code: every failure leaves the previous
// file byte for byte, with no temporary file, and says so once; "Update now"
// in the real dialog writes a first file and says how many sets from where.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "app/main_frame.h"
#include "app/qt_document_host.h"
#include "app/tle_update_runner.h"
#include "document/command_ids.h"
#include "support/http_server.h"
#include "support/tool_run.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using test::HttpServer;

const std::string kLine1 =
    "1 40000U 26001A   26339.24729127  .00000100  00000-0  68798-4 0  9993\n";
const std::string kSets = "ORBCOMM FM109\n" + kLine1 +
                          "2 40000  44.8821 216.2726 0007562 279.4783 275.1880 14.20834726    18\n"
                          "MOLNIYA\n"
                          "1 08195U 75081A   26339.33215444  .00000099  00000-0  11873-3 0   813\n"
                          "2 08195  64.1586 279.0717 6877146 264.7651  20.2257  2.00491383225656\n";
// Read as a set, but under the earth's surface at its epoch.
const std::string kDecayed =
    "DECAYED\n" + kLine1 +
    "2 40000  44.8821 216.2726 9950000 279.4783   0.0000  4.00000000    18\n";

TEST(TleUpdateFromTheWeb, EachFailureKeepsThePreviousFileAndSaysSoOnce) {
  HttpServer server(
      {{"/ok", {200, kSets, {}}},
       {"/silent", {200, "", HttpServer::Kind::Silent}},
       {"/garbage", {200, "<html><body>Sign in to use this network</body></html>\n", {}}},
       {"/decayed", {200, kDecayed, {}}},
       {"/cut", {200, kSets, HttpServer::Kind::CutShort}},
       {"/endless", {200, "", HttpServer::Kind::Endless}}});
  // The TLE file is a link to a file of mode 640: the file it names is the one replaced.
  QTemporaryDir dir;
  const fs::path file = dir.filePath("sets.tle").toStdString();
  const std::string previous = "PREVIOUS SETS\n" + kSets;
  std::ofstream(file, std::ios::binary) << previous;
  fs::permissions(file, fs::perms(0640));
  fs::create_symlink(file, dir.filePath("orbcomm.tle").toStdString());
  HeldClock clock(1765000000);
  VantrelDoc doc(clock, "/opt/vantrel/");
  doc.tleFile = dir.filePath("orbcomm.tle").toStdString();
  QStringList notices;
  TleUpdateRunner runner(doc, [&](const QString& n) { notices << n; });
  runner.downloader().SetLimits({.silenceMs = 2000, .transferMs = 5000, .maxBytes = 8 << 20});

  struct Case {
    std::vector<std::string> paths;
    const char* reason;
    rlim_t fileSizeLimit;
  };
  constexpr rlim_t kAny = RLIM_INFINITY;
  // The endless answer first: the downloads after it on the same runner get their answers.
  const Case cases[] = {
      {{"/endless"}, "larger than 8 MiB", kAny},
      {{"/missing"}, "HTTP status 404", kAny},
      {{"/silent"}, "no data for 2 s", kAny},
      {{"/garbage"}, "no usable element set", kAny},
      {{"/decayed"}, "no usable element set", kAny},
      {{"/cut"}, "", kAny},  // Qt's own words or ours: the body is not whole
      {{"/ok", "/missing"}, "HTTP status 404", kAny},  // all addresses or nothing
      {{"/ok"}, "File too large", 100},                // a full disk
  };
  std::signal(SIGXFSZ, SIG_IGN);
  for (const Case& c : cases) {
    std::string urls;
    for (const std::string& path : c.paths) urls += server.Url(path) + " ";
    doc.tleUpdate.urls = urls;
    notices.clear();
    rlimit held{};
    getrlimit(RLIMIT_FSIZE, &held);
    const rlimit limit{c.fileSizeLimit, held.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    runner.UpdateNow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !notices.isEmpty(); }, 10000)) << urls;
    setrlimit(RLIMIT_FSIZE, &held);
    QTest::qWait(50);
    ASSERT_EQ(notices.size(), 1) << urls;
    const std::string notice = notices[0].toStdString();
    EXPECT_TRUE(notice.starts_with("TLE update: ")) << notice;
    EXPECT_NE(notice.find(c.reason), std::string::npos) << notice;
    EXPECT_NE(notice.find(server.Url(c.paths.back())), std::string::npos) << notice;
    EXPECT_TRUE(notice.ends_with("; the TLE file is left as it was")) << notice;
    EXPECT_EQ(test::ReadFile(file), previous) << urls;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path().toStdString()), {}), 2) << urls;
  }
  // A pipe named as the TLE file is never replaced.
  doc.tleFile = dir.filePath("pipe.tle").toStdString(), doc.tleUpdate.urls = server.Url("/ok");
  ASSERT_EQ(::mkfifo(doc.tleFile.c_str(), 0600), 0);
  notices.clear(), runner.UpdateNow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !notices.isEmpty(); }, 10000));
  EXPECT_NE(notices[0].toStdString().find("pipe.tle is not a regular file"), std::string::npos);
  EXPECT_TRUE(fs::is_fifo(doc.tleFile));
  doc.tleFile = dir.filePath("orbcomm.tle").toStdString();
  // Then a good one: through the link, keeping the mode.
  doc.tleUpdate.urls = server.Url("/ok");
  notices.clear();
  runner.UpdateNow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !notices.isEmpty(); }, 10000));
  EXPECT_EQ(notices[0].toStdString(),
            "TLE update: 2 sets from " + server.Url("/ok") + " written to " + file.string());
  EXPECT_EQ(test::ReadFile(file), kSets);
  EXPECT_TRUE(fs::is_symlink(doc.tleFile));
  EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));
}

// Runs act on the next modal dialog once it is up.
void WhenModal(const std::function<void(QWidget*)>& act) {
  QTimer::singleShot(10, [act] {
    if (QWidget* w = QApplication::activeModalWidget()) return act(w);
    WhenModal(act);
  });
}

TEST(TleUpdateFromTheWeb, UpdateNowWritesAFirstFileFromEveryAddress) {
  const std::string more = "ORBCOMM FM 5\n" + kLine1 +
                           "2 40000  44.8821 216.2726 0007562 279.4783 275.1880 14.20834726    18";
  HttpServer server({{"/orbcomm.tle", {200, kSets, {}}}, {"/more.tle", {200, more, {}}}});
  QTemporaryDir data;
  qputenv("XDG_DATA_HOME", data.path().toUtf8());
  HeldClock clock(1765000000);
  VantrelDoc doc(clock, "/opt/vantrel/");
  MainFrame frame(doc, "Vantrel version 1.3");
  doc.SetHost(&frame.host());

  WhenModal([&](QWidget* dlg) {
    dlg->findChild<QPlainTextEdit*>("urls")->setPlainText(
        QString::fromStdString(server.Url("/orbcomm.tle") + "\n  " + server.Url("/more.tle")));
    dlg->findChild<QComboBox*>("interval")->setCurrentText("Weekly");
    dlg->findChild<QAbstractButton*>("updateNow")->click();
  });
  frame.RunCommand(cmd::kTleUpdate);
  EXPECT_EQ(doc.tleUpdate.urls, server.Url("/orbcomm.tle") + " " + server.Url("/more.tle"));
  EXPECT_EQ(doc.tleUpdate.hours, 168);
  const auto notice = [&] { return frame.statusBar()->currentMessage().toStdString(); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return notice().starts_with("TLE update"); }, 10000));

  const std::string path = data.filePath("Vantrel/orbcomm.tle").toStdString();
  const std::string host = server.Url("").substr(7);  // the status bar's name for an address
  EXPECT_EQ(notice(), "TLE update: 3 sets from " + host + ", " + host + " written to " + path);
  EXPECT_EQ(test::ReadFile(path), kSets + more + "\n");
  EXPECT_EQ(doc.tleFile, path);
  EXPECT_TRUE(doc.tleEnable);
  EXPECT_EQ(fs::status(path).permissions(), fs::perms(0644));
  doc.SetHost(nullptr);
  qunsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace vantrel
