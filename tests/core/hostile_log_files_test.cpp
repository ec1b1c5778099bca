// Log files in hostile surroundings: a log directory that is missing or
// cannot hold files, a log file on a full device, a log name that is a pipe
// nobody reads, and a disk that fills up in the middle of a record. Decoding, the message ring and the satellite
// table go on in every case, the other file keeps its records, and no file
// is left holding part of a record.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>

#include "document/vantrel_doc.h"
#include "synth/packet_builder.h"
#include "synth/signal_synth.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using synth::Packet;
using synth::WithChecksum;

constexpr CTime kMay12 = 1178964672;  // 2007-05-12 10:11:12 UTC

const Packet kSync = WithChecksum({0x65, 0xA8, 0xF9, 0x0C, 0x00, 0xC8, 0x30, 0, 0, 0});
const Packet kUplink = WithChecksum({0x1B, 0, 0, 0x01, 0x02, 0x00, 0x05, 0x06, 0x07, 0});
const std::string kSyncLine = "Spacecraft FM-12 137.5000MHz frame 03[07-05-12 10:11:12]\r\n";
const std::string kUplinkLine = "Uplink channels 148.0025MHz 148.0050MHz [07-05-12 10:11:12]\r\n";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class HostileLogs : public ::testing::Test {
 protected:
  HostileLogs() : clock_(kMay12), doc_(clock_, "/nonexistent/") {
    char pattern[] = "/tmp/vantrel-hostile.XXXXXX";
    dir_ = mkdtemp(pattern);
    doc_.logDirectory = dir_.string() + "/";
    doc_.polarity = 0;
  }
  ~HostileLogs() override { fs::remove_all(dir_); }

  void Decode(const std::vector<Packet>& packets) {
    synth::SynthOptions options;
    options.noise = 8.0;
    options.idleBits = 3;
    for (const std::uint8_t s : synth::SynthesizePackets(packets, options)) doc_.FeedSample(s);
    for (int i = 0; i < CVantrelDoc::kRingLength; ++i) doc_.FeedSample(128);
  }

  // What the screens show: the lines and FM-12's frequency from the sync packet.
  void ExpectDecodedAndShown(std::size_t lines) {
    EXPECT_EQ(doc_.MessagesInArrivalOrder().size(), lines);
    EXPECT_DOUBLE_EQ(doc_.satellites[12].frequency, 137.5);
  }

  fs::path dir_;
  HeldClock clock_;
  CVantrelDoc doc_;
};

TEST_F(HostileLogs, DirectoryThatCannotExistIsSkippedAndNothingIsCreated) {
  // A folder below a regular file can be neither opened nor created, even by
  // root, so this stands for a read-only folder too.
  std::ofstream(dir_ / "plain-file") << "x";
  doc_.logDirectory = (dir_ / "plain-file" / "logs").string() + "/";
  doc_.rawFlag = 1;
  Decode({kSync, kUplink});
  ExpectDecodedAndShown(2);
  EXPECT_EQ(ReadFile(dir_ / "plain-file"), "x");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

  // Once the folder can be written, the next records arrive whole.
  doc_.logDirectory = dir_.string() + "/";
  Decode({kSync});
  EXPECT_EQ(ReadFile(dir_ / "orbcomm070512.log"), kSyncLine);
}

TEST_F(HostileLogs, LogFileOnAFullDeviceLosesOnlyItsOwnRecords) {
  // Today's decoded log is /dev/full: every write to it fails.
  fs::create_symlink("/dev/full", dir_ / "orbcomm070512.log");
  doc_.rawFlag = 1;
  Decode({kSync, kUplink});
  ExpectDecodedAndShown(2);
  EXPECT_TRUE(fs::is_symlink(dir_ / "orbcomm070512.log"));
  // The raw log beside it has both packets.
  EXPECT_EQ(ReadFile(dir_ / "orbcomm_raw070512.log"),
            "\r\n65 A8 F9 0C 00 C8 30 00 00 00 58 9E  [07-05-12 10:11:12]\r\n"
            "1B 00 00 01 02 00 05 06 07 00 7B 55  [07-05-12 10:11:12]\r\n");

  // The next day's file is an ordinary one again.
  clock_.Set(kMay12 + 86400);
  Decode({kUplink});
  EXPECT_EQ(ReadFile(dir_ / "orbcomm070513.log"),
            "Uplink channels 148.0025MHz 148.0050MHz [07-05-13 10:11:12]\r\n");
  EXPECT_EQ(doc_.MessagesInArrivalOrder().size(), 3u);
}

TEST_F(HostileLogs, LogNameThatIsAPipeNobodyReadsDoesNotStopDecoding) {
  const fs::path log = dir_ / "orbcomm070512.log";
  ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0);
  doc_.rawFlag = 1;
  auto decoded = std::async(std::launch::async, [&] { Decode({kSync, kUplink}); });
  if (decoded.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    ADD_FAILURE() << "decoding waits for a reader of the log pipe";
    // Become that reader, so that the test can end.
    const int reader = ::open(log.c_str(), O_RDONLY | O_NONBLOCK);
    decoded.wait();
    ::close(reader);
  }
  ExpectDecodedAndShown(2);
  EXPECT_EQ(ReadFile(dir_ / "orbcomm_raw070512.log"),
            "\r\n65 A8 F9 0C 00 C8 30 00 00 00 58 9E  [07-05-12 10:11:12]\r\n"
            "1B 00 00 01 02 00 05 06 07 00 7B 55  [07-05-12 10:11:12]\r\n");
}

TEST_F(HostileLogs, RecordThatDoesNotFitIsTakenBackWhole) {
  const fs::path log = dir_ / "orbcomm070512.log";
  Decode({kSync});
  ASSERT_EQ(ReadFile(log), kSyncLine);

  // The disk fills up 10 bytes into the next record (a file size limit does
  // the same to this process): the record must not be left half written, or
  // the next one would continue its torn line.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = kSyncLine.size() + 10;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  Decode({kUplink});
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(ReadFile(log), kSyncLine);
  EXPECT_EQ(doc_.MessagesInArrivalOrder().size(), 2u);
  Decode({kUplink});
  EXPECT_EQ(ReadFile(log), kSyncLine + kUplinkLine);
}

}  // namespace
}  // namespace vantrel
