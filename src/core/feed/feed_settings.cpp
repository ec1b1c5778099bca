#include "feed/feed_settings.h"

#include <mosquitto.h>

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
  if (s.host.empty()) return "a broker host is needed";
  if (HasCharAtOrBelow(s.host, ' ')) return "the broker host '" + s.host + "' contains spaces";
  if (s.port < 1 || s.port > 65535) {
    return "the broker port " + std::to_string(s.port) + " is not between 1 and 65535";
  }
  if (s.topic.empty()) return "a topic is needed";
  // Publishing to a wildcard is refused by brokers; an empty level
  // would make subscriptions by station miss it.
  if (HasWildcard(s.topic) || s.topic.front() == '/' || s.topic.back() == '/' ||
      s.topic.find("//") != std::string::npos || HasCharAtOrBelow(s.topic, 0x1F)) {
    return "the topic '" + s.topic + "' must not contain + or # or empty levels";
  }
  if (s.station.empty()) return "a station name is needed";
  if (HasWildcard(s.station) || s.station.find('/') != std::string::npos ||
      HasCharAtOrBelow(s.station, 0x1F)) {
    return "the station name '" + s.station + "' must not contain /, + or #";
  }
  if (s.user.empty() && !s.password.empty()) return "a password needs a user name";
  // Whatever else the library would refuse at publish time (bad UTF-8, a
  // character MQTT forbids, over 65535 bytes) is refused here, once.
  for (const std::string& topic : {PacketsTopic(s), StatusTopic(s)}) {
    if (topic.size() > 65535 ||
        mosquitto_validate_utf8(topic.c_str(), static_cast<int>(topic.size())) !=
            MOSQ_ERR_SUCCESS ||
        mosquitto_pub_topic_check(topic.c_str()) != MOSQ_ERR_SUCCESS) {
      return "the topic and station name must be UTF-8 text without control characters, "
             "at most 65535 bytes together";
    }
  }
  return {};
}

std::string PacketsTopic(const FeedSettings& s) { return s.topic + "/" + s.station + "/packets"; }
std::string StatusTopic(const FeedSettings& s) { return s.topic + "/" + s.station + "/status"; }

}  // namespace vantrel
