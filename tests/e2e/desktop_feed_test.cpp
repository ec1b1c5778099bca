// The desktop program's network feed against a real broker: every packet it
// raw-logs reaches a subscriber, though the broker comes up seconds after
// the program started: the packets kept meanwhile and those after go out.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>

#include "e2e/program.h"
#include "support/mqtt_broker.h"

namespace vantrel {
namespace {

// The raw log's packets as the feed's "hex" field writes them.
std::vector<std::string> RawLoggedHex(const QString& dir) {
  std::vector<std::string> packets;
  for (const QString& name : QDir(dir).entryList({"orbcomm_raw*.log"}, QDir::Files)) {
    for (std::string line : test::FileLines((dir + "/" + name).toStdString())) {
      std::erase_if(line = line.substr(0, line.find('[')), [](char c) { return c <= ' '; });
      if (!line.empty()) packets.push_back(line);
    }
  }
  return packets;
}

TEST(DesktopFeed, EveryRawLoggedPacketReachesABrokerUpSecondsLater) {
  if (!QFile::exists(test::ProgramPath())) GTEST_SKIP() << "needs the program";
  const QString recording =
      QString(std::getenv("VANTREL_SOURCE_DIR")) + "/recordings/pass-21cma-9600.cf32";
  test::Broker broker;
  const std::filesystem::path& dir = broker.dir;
  const QString home = QString::fromStdString(dir.string());
  // A persistent subscription made while the broker is up, then the broker down.
  broker.Run(true);
  broker.Subscribe("e2e/+/packets", dir / "sub");
  broker.Run(false);

  const QString logDir = home + "/logs";
  ASSERT_TRUE(QDir().mkpath(logDir));
  QProcess vantrel;
  const QString settings = "LogDirectory=" + logDir +
                           "/\nRawflag=1\nFeedEnable=1\nFeedHost=127.0.0.1\nFeedTopic=e2e\n"
                           "FeedStation=one\nFeedPort=" +
                           QString::number(broker.port);
  test::Start(vantrel, test::Desktop(home + "/config", settings.toUtf8()),
              {"--input", recording, "--iq-format", "cf32", "--iq-rate", "9600", "--start"});
  QThread::sleep(5);
  broker.Run(true);
  const auto allArrived = [&] {
    std::map<std::string, int> counts;
    for (const std::string& object : test::FileLines(dir / "sub"))
      ++counts[nlohmann::json::parse(object).value("hex", "")];
    const auto logged = RawLoggedHex(logDir);
    for (const std::string& hex : logged)
      if (counts[hex]-- <= 0) return false;
    return logged.size() >= 40;
  };
  EXPECT_TRUE(test::Eventually(allArrived, 15000))
      << RawLoggedHex(logDir).size() << " raw-logged, " << test::FileLines(dir / "sub").size()
      << " received";
  EXPECT_EQ(test::Stop(vantrel), 0);
}

}  // namespace
}  // namespace vantrel
