// Where the network feed publishes: broker, topic and station, as kept in
// the settings and given on vantrel-decode's command line.
#pragma once

#include <string>

namespace vantrel {

struct FeedSettings {
  int enabled = 0;
  std::string host;
  int port = 1883;
  std::string topic = "vantrel";
  std::string station;
  std::string user;  // empty: connect without a user name
  std::string password;
  int tls = 0;  // 1: TLS against the system's certificate authorities
  bool operator==(const FeedSettings&) const = default;
};

// Empty when the settings can be used; otherwise one line saying what is wrong.
std::string CheckFeedSettings(const FeedSettings& settings);

// The topics a station publishes to: TOPIC/STATION/packets and .../status.
std::string PacketsTopic(const FeedSettings& settings);
std::string StatusTopic(const FeedSettings& settings);

}  // namespace vantrel
