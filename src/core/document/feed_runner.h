// Keeps the desktop program's network feed in step with the document's feed
// settings: started when enabled, restarted when they change, stopped when
// disabled, and given the station status. Called on the document's thread.
// The queue of waiting messages lives from enabling to disabling, so a feed
// restarted for new settings sends what its predecessor had not.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "document/vantrel_doc.h"
#include "feed/mqtt_feed.h"

namespace vantrel {

class FeedRunner {
 public:
  explicit FeedRunner(VantrelDoc& doc) : doc_(doc) {}
  ~FeedRunner();
  FeedRunner(const FeedRunner&) = delete;
  FeedRunner& operator=(const FeedRunner&) = delete;

  // Call at once and then every few seconds. Returns a line for the status
  // bar when the feed first connected, the broker was lost or came back, or
  // the feed was disabled with messages unsent.
  std::optional<std::string> Sync();

  // How long the feed may still send when the program ends.
  static constexpr int kExitDrainMs = 500;

 private:
  void Detach();

  VantrelDoc& doc_;
  std::shared_ptr<FeedQueue> queue_;  // set while the feed is enabled
  MqttFeed::Handle feed_;
  bool toldConnected_ = false;  // the running feed's first connection was told
};

}  // namespace vantrel
