// vantrel-decode --mqtt against a real broker of the test's own, stopped mid-recording.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <thread>

#include "feed/feed_runner.h"
#include "synth/packet_builder.h"
#include "synth/signal_synth.h"

extern char** environ;

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

pid_t Spawn(const std::string& command) {
  pid_t pid = -1;
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ);
  return pid;
}

void Stop(pid_t pid) {
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

std::vector<std::string> Lines(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// One second of audio with one sync packet naming the second k in its frame number.
std::vector<std::uint8_t> Second(int k) {
  auto audio = synth::SynthesizePackets(
      {synth::WithChecksum(
          {0x65, 0xA8, 0xF9, 0x0C, 0x00, 0xC8, static_cast<std::uint8_t>(k << 4), 0, 0, 0})},
      {.noise = 5.0, .leadInSamples = 2000, .seed = static_cast<std::uint32_t>(k + 1)});
  audio.resize(48000, 128);
  return audio;
}

// The broker goes away for a few seconds: the lines keep coming, every packet
// (those of the gap once it is back) reaches the subscriber as printed, repeats
// stay within QoS 1's in-flight window, and the station's status is retained.
TEST(NetworkFeed, ABrokerOutageDelaysPacketsButNeitherDecodingNorLosesThem) {
  char pattern[] = "/tmp/vantrel-feed-test.XXXXXX";
  const fs::path dir = mkdtemp(pattern);
  const std::shared_ptr<void> removeDir(nullptr, [&](void*) { fs::remove_all(dir); });
  // A free port: the kernel picks one for a socket bound to port 0.
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{
      .sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
  socklen_t length = sizeof address;
  bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  close(listener);
  const std::string port = std::to_string(ntohs(address.sin_port));
  // Persistence keeps the subscriber's session: what the broker queued survives the restart.
  std::ofstream(dir / "broker.conf")
      << "listener " << port << " 127.0.0.1\nallow_anonymous true\n"
      << "persistence true\npersistence_location " << dir.string() << "/\n"
      << "user " << (getuid() == 0 ? "root" : "nobody") << "\n";
  const std::string broker = "exec mosquitto -c " + (dir / "broker.conf").string() + " 2>> " +
                             (dir / "broker.log").string();
  pid_t server = Spawn(broker);
  std::this_thread::sleep_for(500ms);
  const pid_t subscriber = Spawn("exec mosquitto_sub -h 127.0.0.1 -p " + port +
                                 " -q 1 -c -i feedtest -t 'test/+/+' > " + (dir / "sub").string());
  std::this_thread::sleep_for(500ms);

  // Close-on-exec: the broker started later must not hold the decoder's input open.
  FILE* input = popen(("PATH=\"$VANTREL_BIN_DIR:$PATH\" vantrel-decode --raw-input --polarity "
                       "upright --json --mqtt 127.0.0.1:" +
                       port + " --mqtt-topic test --station one - > " + (dir / "out").string() +
                       " 2> " + (dir / "err").string())
                          .c_str(),
                      "we");
  std::size_t linesAtOutage = 0;
  for (int k = 0; k < 10; ++k) {
    if (k == 3) {
      std::this_thread::sleep_for(300ms);
      Stop(server);
      linesAtOutage = Lines(dir / "out").size();
    }
    if (k == 7) {
      EXPECT_GT(Lines(dir / "out").size(), linesAtOutage) << "decoding paused with the broker";
      server = Spawn(broker);
    }
    fwrite(Second(k).data(), 1, 48000, input);
    fflush(input);
    std::this_thread::sleep_for(400ms);
  }
  EXPECT_EQ(pclose(input), 0);
  std::this_thread::sleep_for(1s);
  Stop(subscriber);
  // A late subscriber gets the retained status at once.
  std::system(("mosquitto_sub -h 127.0.0.1 -p " + port + " -t test/one/status -C 1 -W 5 > " +
               (dir / "late").string())
                  .c_str());
  Stop(server);
  const auto status = nlohmann::json::parse(Lines(dir / "late").at(0));
  EXPECT_EQ(status["station"], "one");
  EXPECT_EQ(status["home"]["latitude"], -34.5);

  std::map<std::string, int> received;
  for (const auto& object : Lines(dir / "sub")) ++received[object];
  int repeats = 0;
  for (const auto& object : Lines(dir / "out")) {
    EXPECT_GE(received[object], 1) << object;
    repeats += std::max(0, received[object] - 1);
  }
  EXPECT_EQ(Lines(dir / "out").size(), 10u);
  EXPECT_LE(repeats, 20);
  const auto err = Lines(dir / "err");
  ASSERT_EQ(err.size(), 2u);
  EXPECT_TRUE(err[0].starts_with("vantrel-decode: Network feed: cannot reach the broker"))
      << err[0];
  EXPECT_TRUE(err[1].starts_with("vantrel-decode: Network feed: the broker")) << err[1];
}

// The desktop feed: why it cannot connect, a new one for new settings, none once disabled.
TEST(NetworkFeed, TheDesktopFeedFollowsItsSettings) {
  HeldClock clock(1178964672);
  CVantrelDoc doc(clock, "/nonexistent/");
  doc.feed = {1, "127.0.0.1", 1, "vantrel", "one", "", "", 0};  // nothing listens on port 1
  FeedRunner runner(doc);
  std::optional<std::string> notice;
  for (int i = 0; i < 100 && !notice; ++i, std::this_thread::sleep_for(50ms))
    notice = runner.Sync();
  EXPECT_EQ(notice.value_or("").rfind(
                "Network feed: cannot reach the broker 127.0.0.1:1 (Connection refused)", 0),
            0u);
  doc.feed.station = "two";
  runner.Sync();
  EXPECT_EQ(static_cast<MqttFeed*>(doc.packetListener)->settings().station, "two");
  doc.feed.enabled = 0;
  runner.Sync();
  EXPECT_EQ(doc.packetListener, nullptr);
}

// A socket on a free loopback port that plays as much of a broker as a test needs.
class FakeBroker {
 public:
  FakeBroker() {
    sockaddr_in address{
        .sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
    socklen_t length = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    listen(listener_, 4);
    port = ntohs(address.sin_port);
  }
  ~FakeBroker() {
    if (client_ >= 0) close(client_);
    close(listener_);
  }
  // The first byte the client sends within timeoutMs (0x10 opens an MQTT
  // CONNECT), or -1 when no client connects or nothing comes.
  int FirstByte(int timeoutMs) {
    pollfd wait{listener_, POLLIN, 0};
    if (poll(&wait, 1, timeoutMs) != 1) return -1;
    client_ = accept(listener_, nullptr, nullptr);
    wait = {client_, POLLIN, 0};
    unsigned char byte = 0;
    if (poll(&wait, 1, timeoutMs) != 1 || read(client_, &byte, 1) != 1) return -1;
    return byte;
  }
  // Accepts the connection: the rest of the CONNECT is read and answered.
  void Accept() {
    std::this_thread::sleep_for(200ms);
    char rest[512];
    if (read(client_, rest, sizeof rest) <= 0) ADD_FAILURE() << "no CONNECT";
    const unsigned char connack[] = {0x20, 0x02, 0x00, 0x00};
    if (write(client_, connack, sizeof connack) != 4) ADD_FAILURE() << "CONNACK not sent";
  }
  // Everything the client sends within timeoutMs.
  std::string Received(int timeoutMs) {
    std::string bytes;
    char piece[4096];
    pollfd wait{client_, POLLIN, 0};
    for (ssize_t n; poll(&wait, 1, timeoutMs) == 1 && (n = read(client_, piece, sizeof piece)) > 0;)
      bytes.append(piece, std::size_t(n));
    return bytes;
  }
  int port = 0;

 private:
  int listener_ = socket(AF_INET, SOCK_STREAM, 0);
  int client_ = -1;
};

std::optional<std::string> AwaitNotice(MqttFeed& feed) {
  std::optional<std::string> notice;
  for (int i = 0; i < 100 && !notice; ++i, std::this_thread::sleep_for(20ms))
    notice = feed.TakeNotice();
  return notice;
}

// Asked for TLS that cannot be set up, the feed says so and never connects:
// the same feed with TLS set up (here: not asked for) does reach the listener.
TEST(NetworkFeed, WithoutTlsSetUpNothingIsSentInTheClear) {
  for (const bool tlsFails : {true, false}) {
    FakeBroker broker;
    const FeedSettings settings{1,   "127.0.0.1", broker.port, "t",
                                "s", "op",        "secret",    tlsFails ? 1 : 0};
    MqttFeed feed(settings, [](mosquitto*) { return int(MOSQ_ERR_NOT_SUPPORTED); });
    feed.Tick(1178964672, {});
    const int first = broker.FirstByte(tlsFails ? 1500 : 5000);
    if (tlsFails) {
      EXPECT_EQ(first, -1) << "connected in plain TCP";
      EXPECT_EQ(feed.TakeNotice().value_or(""),
                "Network feed: TLS unavailable (This feature is not supported.); not connecting "
                "without it");
      EXPECT_EQ(feed.Drain(100), 1u);
    } else {
      EXPECT_EQ(first, 0x10);
    }
  }
}

// A message the MQTT library refuses is dropped and reported, not queued again forever.
TEST(NetworkFeed, AMessageTheLibraryRefusesIsReported) {
  FakeBroker broker;
  MqttFeed feed({1, "127.0.0.1", broker.port, "bad\xC3", "s", "", "", 0});
  ASSERT_EQ(broker.FirstByte(5000), 0x10);
  broker.Accept();
  std::this_thread::sleep_for(300ms);  // for the feed to read the CONNACK
  feed.Tick(1178964672, {});
  const auto notice = AwaitNotice(feed);
  EXPECT_TRUE(notice.value_or("").starts_with(
      "Network feed: the MQTT library refused a message to bad\xC3/s/status ("))
      << notice.value_or("");
  EXPECT_EQ(std::pair(feed.Refused(), feed.Pending()), std::pair(std::size_t{1}, std::size_t{0}));
}

// The retained status names the input file, not where it lives on the machine.
TEST(NetworkFeed, TheStatusNamesTheInputFileOnly) {
  char pattern[] = "/tmp/vantrel-status-test.XXXXXX";
  const fs::path dir = mkdtemp(pattern);
  const std::shared_ptr<void> removeDir(nullptr, [&](void*) { fs::remove_all(dir); });
  const auto audio = Second(0);
  std::ofstream(dir / "pass.raw", std::ios::binary)
      .write(reinterpret_cast<const char*>(audio.data()), std::streamsize(audio.size()));
  FakeBroker broker;
  const pid_t decoder =
      Spawn("exec \"$VANTREL_BIN_DIR/vantrel-decode\" --raw-input --mqtt 127.0.0.1:" +
            std::to_string(broker.port) + " --mqtt-topic t --station s " +
            (dir / "pass.raw").string() + " > /dev/null 2>&1");
  ASSERT_EQ(broker.FirstByte(5000), 0x10);
  broker.Accept();
  const std::string sent = broker.Received(1500);
  Stop(decoder);
  EXPECT_NE(sent.find("\"source\":\"pass.raw\""), std::string::npos) << sent;
  EXPECT_EQ(sent.find(dir.string()), std::string::npos);
}

}  // namespace
}  // namespace vantrel::test
