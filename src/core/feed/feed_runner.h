// Keeps the desktop program's network feed in step with the document's feed
// settings: started when enabled, restarted when they change, stopped when
// disabled, and given the station status. Called on the document's thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "document/vantrel_doc.h"
#include "feed/mqtt_feed.h"

namespace vantrel {

class FeedRunner {
 public:
  explicit FeedRunner(CVantrelDoc& doc) : doc_(doc) {}
  ~FeedRunner();
  FeedRunner(const FeedRunner&) = delete;
  FeedRunner& operator=(const FeedRunner&) = delete;

  // Call every few seconds. Returns a line for the status bar when the
  // broker was lost or came back.
  std::optional<std::string> Sync();

 private:
  void Detach();

  CVantrelDoc& doc_;
  std::unique_ptr<MqttFeed> feed_;
};

}  // namespace vantrel
