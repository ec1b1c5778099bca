// vantrel-decode --mqtt against a real broker of the test's own, stopped mid-recording.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "document/feed_runner.h"
#include "support/mqtt_broker.h"
#include "synth/packet_builder.h"
#include "synth/signal_synth.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

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
// stay within QoS 1's in-flight window, and the station's status is retained,
// naming the input file but not where it lives.
TEST(NetworkFeed, ABrokerOutageDelaysPacketsButNeitherDecodingNorLosesThem) {
  Broker broker;
  const fs::path& dir = broker.dir;
  broker.Run(true);
  broker.Subscribe("test/+/+", dir / "sub");

  // Close-on-exec: the broker started later must not hold the decoder's input open.
  FILE* input =
      popen(("PATH=\"$VANTREL_BIN_DIR:$PATH\" vantrel-decode --raw-input --polarity "
             "upright --json --mqtt 127.0.0.1:" +
             std::to_string(broker.port) + " --mqtt-topic test --station one /dev/stdin > " +
             (dir / "out").string() + " 2> " + (dir / "err").string())
                .c_str(),
            "we");
  std::size_t linesAtOutage = 0;
  for (int k = 0; k < 10; ++k) {
    if (k == 3) {
      std::this_thread::sleep_for(300ms);
      broker.Run(false);
      linesAtOutage = FileLines(dir / "out").size();
    }
    if (k == 7) {
      EXPECT_GT(FileLines(dir / "out").size(), linesAtOutage) << "decoding paused with the broker";
      broker.Run(true);
    }
    fwrite(Second(k).data(), 1, 48000, input);
    fflush(input);
    std::this_thread::sleep_for(400ms);
  }
  EXPECT_EQ(pclose(input), 0);
  std::this_thread::sleep_for(1s);
  broker.Subscribe("test/one/status", dir / "status");  // late: it gets the retained one
  const auto status = FileLines(dir / "status");
  ASSERT_EQ(status.size(), 1u);
  EXPECT_EQ(nlohmann::json::parse(status[0])["source"], "stdin");
  EXPECT_EQ(nlohmann::json::parse(status[0])["home"]["latitude"], -34.5);
  broker.Subscribe({}, {});
  broker.Run(false);

  std::map<std::string, int> received;
  for (const auto& object : FileLines(dir / "sub")) ++received[object];
  int repeats = 0;
  for (const auto& object : FileLines(dir / "out")) {
    EXPECT_GE(received[object], 1) << object;
    repeats += std::max(0, received[object] - 1);
  }
  EXPECT_EQ(FileLines(dir / "out").size(), 10u);
  EXPECT_LE(repeats, 20);
  const auto err = FileLines(dir / "err");
  const std::string feed = "vantrel-decode: Network feed: ";
  const std::string at = "127.0.0.1:" + std::to_string(broker.port);
  ASSERT_EQ(err.size(), 3u);
  EXPECT_EQ(err[0], feed + "connected to the broker " + at);  // once: not again when back
  EXPECT_TRUE(err[1].starts_with(feed + "cannot reach " + at + " (")) << err[1];
  EXPECT_EQ(err[2], feed + at + " is back; sending the packets kept");
}

// A packet for the feed; n tells the packets apart.
void Accept(PacketListener& listener, int n) {
  const std::uint8_t bytes[12] = {0x1A, static_cast<std::uint8_t>(n),
                                  static_cast<std::uint8_t>(n >> 8)};
  listener.OnPacket({bytes, 12, nullptr, 1178964672, {}});
}

// The desktop feed: why it cannot connect; the packets accepted while it
// cannot go out once corrected settings reach a broker, and the connection
// is told; disabling it tells how many are dropped.
TEST(NetworkFeed, TheDesktopFeedKeepsItsQueueThroughNewSettings) {
  Broker broker;
  broker.Run(true);
  broker.Subscribe("vantrel/+/packets", broker.dir / "sub");

  HeldClock clock(1178964672);
  VantrelDoc doc(clock, "/nonexistent/");
  doc.feed = {1, "127.0.0.1", 1, "vantrel", "one", "", "", 0};  // nothing listens on port 1
  FeedRunner runner(doc);
  const auto nextNotice = [&] {
    std::optional<std::string> notice;
    for (int i = 0; i < 100 && !notice; ++i, std::this_thread::sleep_for(50ms))
      notice = runner.Sync();
    return notice.value_or("");
  };
  std::string notice = runner.Sync().value_or("");  // starts the feed
  for (int n = 0; n < 100; ++n) Accept(*doc.packetListener, n);
  if (notice.empty()) notice = nextNotice();
  EXPECT_TRUE(notice.starts_with(
      "Network feed: cannot reach 127.0.0.1:1 (connection refused); packets kept"));
  // Corrected settings restart the feed with the packets kept.
  doc.feed.port = broker.port;
  doc.feed.station = "two";
  runner.Sync();
  for (int i = 0; i < 100 && FileLines(broker.dir / "sub").size() < 100; ++i)
    std::this_thread::sleep_for(50ms);
  std::set<std::string> hex;  // the station changed, the packets kept theirs
  for (const auto& object : FileLines(broker.dir / "sub"))
    hex.insert(nlohmann::json::parse(object)["hex"]);
  EXPECT_EQ(hex.size(), 100u);
  // The first connection is told once, the loss after it too.
  EXPECT_EQ(nextNotice(),
            "Network feed: connected to the broker 127.0.0.1:" + std::to_string(broker.port));

  broker.Run(false);
  EXPECT_TRUE(nextNotice().starts_with("Network feed: cannot reach 127.0.0.1:"));
  for (int n = 0; n < 5; ++n) Accept(*doc.packetListener, n);
  doc.feed.enabled = 0;
  EXPECT_EQ(runner.Sync(), "Network feed: off; 5 unsent messages dropped");
  EXPECT_EQ(doc.packetListener, nullptr);
}

// Asked for TLS that cannot be set up, the feed says so and never connects.
TEST(NetworkFeed, WithoutTlsSetUpNothingIsSentInTheClear) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  const int port = BindLoopback(listener);
  listen(listener, 4);
  auto feed = MqttFeed::Start({1, "127.0.0.1", port, "t", "s", "op", "secret", 1}, nullptr,
                              MqttFeed::kAckTimeout,
                              [](mosquitto*) { return int(MOSQ_ERR_NOT_SUPPORTED); });
  feed->Tick(1178964672, {});
  pollfd connection{listener, POLLIN, 0};
  EXPECT_EQ(poll(&connection, 1, 1500), 0) << "connected in plain TCP";
  close(listener);
  EXPECT_EQ(feed->TakeNotice().value_or(""),
            "Network feed: TLS unavailable (this feature is not supported); not connecting "
            "without it");
  EXPECT_EQ(feed->Drain(100), 1u);
}

// A message the MQTT library refuses is dropped and reported, not queued again forever.
TEST(NetworkFeed, AMessageTheLibraryRefusesIsReported) {
  Broker broker;
  broker.Run(true);
  auto feed = MqttFeed::Start({1, "127.0.0.1", broker.port, "bad\xC3", "s", "", "", 0});
  std::this_thread::sleep_for(500ms);  // for the feed to connect
  feed->Tick(1178964672, {});
  std::string notice;
  for (int i = 0; i < 100 && notice.empty(); ++i, std::this_thread::sleep_for(20ms))
    notice = feed->TakeNotice().value_or("");
  EXPECT_TRUE(
      notice.starts_with("Network feed: the MQTT library refused a message to bad\xC3/s/status ("))
      << notice;
  EXPECT_EQ(feed->Refused(), 1u);
  EXPECT_EQ(feed->Pending(), 0u);
}

// A broker that stops answering (SIGSTOP) after the feed connected: the
// feed connects again once, says so once, and all is sent once it answers.
TEST(NetworkFeed, ABrokerThatAcknowledgesNothingIsConnectedAgainAndToldOnce) {
  Broker broker;
  broker.Run(true);
  auto feed =
      MqttFeed::Start({1, "127.0.0.1", broker.port, "vantrel", "one", "", "", 0}, nullptr, 500ms);
  Accept(*feed, 0);
  EXPECT_EQ(feed->Drain(3000), 0u);
  broker.Signal(SIGSTOP);
  for (int n = 1; n < 30; ++n) Accept(*feed, n);
  std::vector<std::string> notices;
  for (int i = 0; i < 20; ++i, std::this_thread::sleep_for(100ms))
    if (auto notice = feed->TakeNotice()) notices.push_back(*notice);
  broker.Signal(SIGCONT);
  EXPECT_EQ(feed->Drain(5000), 0u);
  EXPECT_EQ(notices,
            std::vector<std::string>{"Network feed: 127.0.0.1:" + std::to_string(broker.port) +
                                     " acknowledged nothing for a minute; reconnecting"});
}

}  // namespace
}  // namespace vantrel::test
