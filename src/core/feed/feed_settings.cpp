#include "feed/feed_settings.h"

#include <algorithm>

namespace vantrel {

namespace {

bool HasWildcard(const std::string& text) { return text.find_first_of("+#") != std::string::npos; }

bool HasCharAtOrBelow(const std::string& text, unsigned char limit) {
  return std::any_of(text.begin(), text.end(),
                     [limit](char c) { return static_cast<unsigned char>(c) <= limit; });
}

}  // namespace

std::string CheckFeedSettings(const FeedSettings& s) {
  if (s.host.empty()) return "the network feed needs a broker host";
  if (HasCharAtOrBelow(s.host, ' ')) return "the broker host '" + s.host + "' contains spaces";
  if (s.port < 1 || s.port > 65535) {
    return "the broker port " + std::to_string(s.port) + " is not between 1 and 65535";
  }
  if (s.topic.empty()) return "the network feed needs a topic";
  // Publishing to a wildcard is refused by brokers; an empty level
  // would make subscriptions by station miss it.
  if (HasWildcard(s.topic) || s.topic.front() == '/' || s.topic.back() == '/' ||
      s.topic.find("//") != std::string::npos || HasCharAtOrBelow(s.topic, 0x1F)) {
    return "the topic '" + s.topic + "' must not contain + or # or empty levels";
  }
  if (s.station.empty()) return "the network feed needs a station name";
  if (HasWildcard(s.station) || s.station.find('/') != std::string::npos ||
      HasCharAtOrBelow(s.station, 0x1F)) {
    return "the station name '" + s.station + "' must not contain /, + or #";
  }
  if (s.user.empty() && !s.password.empty()) return "a password needs a user name";
  return {};
}

std::string PacketsTopic(const FeedSettings& s) { return s.topic + "/" + s.station + "/packets"; }
std::string StatusTopic(const FeedSettings& s) { return s.topic + "/" + s.station + "/status"; }

}  // namespace vantrel
