// Log files in hostile surroundings: a log folder that cannot exist, a log
// file on a full device, a log name that is a link, a pipe nobody reads, and
// a disk that fills up in the middle of a record. Decoding and the screens go on,
// the other file keeps its records, and no file holds part of a record.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <tuple>

#include "document/vantrel_doc.h"
#include "support/fake_host.h"
#include "support/tool_run.h"
#include "synth/packet_builder.h"
#include "synth/signal_synth.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using synth::Packet;
using test::ReadFile;

constexpr CTime kMay12 = 1178964672;  // 2007-05-12 10:11:12 UTC
const Packet kSync = synth::WithChecksum({0x65, 0xA8, 0xF9, 0x0C, 0x00, 0xC8, 0x30, 0, 0, 0});
const Packet kUplink = synth::WithChecksum({0x1B, 0, 0, 0x01, 0x02, 0x00, 0x05, 0x06, 0x07, 0});
const std::string kSyncLine = "Spacecraft FM-12 137.5000MHz frame 03[07-05-12 10:11:12]\r\n";
const std::string kUplinkLine = "Uplink channels 148.0025MHz 148.0050MHz [07-05-12 10:11:12]\r\n";
const std::string kRawLog =
    "\r\n65 A8 F9 0C 00 C8 30 00 00 00 58 9E  [07-05-12 10:11:12]\r\n"
    "1B 00 00 01 02 00 05 06 07 00 7B 55  [07-05-12 10:11:12]\r\n";

// The status lines: a file stops taking records, and takes them again.
std::string Failed(const fs::path& file) {
  return "Log file cannot be written: " + file.string() + " \x96 lines are not being logged";
}
std::string Again(const fs::path& f) { return "Log file can be written again: " + f.string(); }

// One receiver logging both files into a folder of its own.
struct Scene {
  Scene() : dir(mkdtemp(pattern)) {
    doc.logDirectory = dir.string() + "/", doc.packetSearch().SetPolarity(0), doc.rawFlag = 1,
    doc.SetHost(&host);
  }
  ~Scene() { fs::remove_all(dir); }
  void Decode(const std::vector<Packet>& packets) {
    for (const std::uint8_t s : synth::SynthesizePackets(packets, {.noise = 8.0, .idleBits = 3}))
      doc.FeedSample(s);
    for (int i = 0; i < VantrelDoc::kRingLength; ++i) doc.FeedSample(128);
  }
  char pattern[28] = "/tmp/vantrel-hostile.XXXXXX";
  fs::path dir, log = dir / "orbcomm070512.log", raw = dir / "orbcomm_raw070512.log";
  HeldClock clock{kMay12};
  FakeHost host;
  VantrelDoc doc{clock, "/nonexistent/"};
};

TEST(HostileLogs, DecodingGoesOnAndNoFileHoldsPartOfARecord) {
  rlimit unlimited{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &unlimited), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  using Step = std::function<void(Scene&)>;
  for (const auto& [what, before, after] : std::vector<std::tuple<const char*, Step, Step>>{
           {"default folder not made yet: made, and nothing to report",
            [](Scene& s) {
              s.doc.logDirectory = s.doc.defaultLogDirectory = (s.dir / "Log files/").string();
            },
            [](Scene& s) {
              EXPECT_EQ(ReadFile(s.dir / "Log files" / "orbcomm070512.log"),
                        kSyncLine + kUplinkLine);
              fs::remove_all(s.dir / "Log files"), s.doc.logFlag = false, s.Decode({kSync});
              EXPECT_TRUE(fs::exists(s.dir / "Log files" / s.raw.filename()));  // raw log alone
              EXPECT_TRUE(s.host.statuses.empty());
            }},
           {"folder below a regular file, which even root cannot create",
            [](Scene& s) {
              std::ofstream(s.dir / "file") << "x", s.doc.logDirectory = s.dir / "file/logs/";
            },
            [](Scene& s) {  // nothing made; once the folder is usable the next record is whole
              EXPECT_EQ(std::distance(fs::directory_iterator(s.dir), {}), 1);
              s.doc.logDirectory = s.dir.string() + "/", s.Decode({kSync});
              EXPECT_EQ(ReadFile(s.log), kSyncLine);
              const fs::path lost = s.dir / "file/logs";  // each file reported once, and once back
              EXPECT_EQ(s.host.statuses,
                        (std::vector{Failed(lost / s.log.filename()),
                                     Failed(lost / s.raw.filename()), Again(s.log), Again(s.raw)}));
            }},
           {"log linked to /dev/full", [](Scene& s) { fs::create_symlink("/dev/full", s.log); },
            [](Scene& s) {  // the raw log keeps its records; the next day's log is an ordinary file
              EXPECT_EQ(ReadFile(s.raw), kRawLog);
              s.clock.Set(kMay12 + 86400), s.Decode({kSync});
              EXPECT_EQ(ReadFile(s.dir / "orbcomm070513.log"),
                        "Spacecraft FM-12 137.5000MHz frame 03[07-05-13 10:11:12]\r\n");
              EXPECT_EQ(s.host.statuses,
                        (std::vector{Failed(s.log), Again(s.dir / "orbcomm070513.log")}));
            }},
           {"log linked to a file the user can write, raw log a pipe nobody reads",
            [](Scene& s) {
              std::ofstream(s.dir / "target") << "mine\n";
              fs::create_symlink(s.dir / "target", s.log);
              ASSERT_EQ(::mkfifo(s.raw.c_str(), 0600), 0);
            },
            [](Scene& s) {  // the link is not followed: the file it names is left alone
              EXPECT_EQ(ReadFile(s.dir / "target"), "mine\n");
              EXPECT_EQ(s.host.statuses, (std::vector{Failed(s.log), Failed(s.raw)}));
            }},
           {"disk full 10 bytes into a record (as under a file size limit)",
            [&](Scene& s) {
              std::ofstream(s.log) << kSyncLine, s.doc.rawFlag = 0;
              const rlimit limited{kSyncLine.size() + 10, unlimited.rlim_max};
              ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
            },
            [&](Scene& s) {  // the torn record is taken back, so the next one starts its own line
              setrlimit(RLIMIT_FSIZE, &unlimited);
              EXPECT_EQ(ReadFile(s.log), kSyncLine);
              s.Decode({kUplink});
              EXPECT_EQ(ReadFile(s.log), kSyncLine + kUplinkLine);
              EXPECT_EQ(s.host.statuses, (std::vector{Failed(s.log), Again(s.log)}));
            }}}) {
    SCOPED_TRACE(what);
    Scene s;
    before(s);
    auto decoded = std::async(std::launch::async, [&] { s.Decode({kSync, kUplink}); });
    if (decoded.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
      ADD_FAILURE() << "decoding waits for a reader of the log";
      const int reader =
          ::open(s.raw.c_str(), O_RDONLY | O_NONBLOCK);  // become one, so the test can end
      decoded.wait(), ::close(reader);
    }
    EXPECT_EQ(s.doc.MessagesInArrivalOrder().size(), 2u);
    EXPECT_DOUBLE_EQ(s.doc.interpreter().satellites()[12].frequency, 137.5);
    after(s);
  }
  std::signal(SIGXFSZ, oldHandler);
}

}  // namespace
}  // namespace vantrel
