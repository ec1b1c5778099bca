#include "document/feed_runner.h"

#include "base/text_encoding.h"

namespace vantrel {

FeedRunner::~FeedRunner() {
  if (feed_) feed_->Drain(kExitDrainMs);
  Detach();
}

void FeedRunner::Detach() {
  if (feed_ && doc_.packetListener == feed_.get()) doc_.packetListener = nullptr;
  feed_.reset();
  toldConnected_ = false;
}

std::optional<std::string> FeedRunner::Sync() {
  const bool wanted = doc_.feed.enabled != 0 && CheckFeedSettings(doc_.feed).empty();
  std::optional<std::string> dropped;
  if (feed_ && !wanted && feed_->Pending() > 0)
    dropped = "Network feed: off; " + std::to_string(feed_->Pending()) + " unsent messages dropped";
  if (feed_ && (!wanted || feed_->settings() != doc_.feed)) Detach();
  if (!wanted) {
    queue_.reset();
    return dropped;
  }
  if (!queue_) queue_ = std::make_shared<FeedQueue>();
  if (!feed_) {
    feed_ = MqttFeed::Start(doc_.feed, queue_);
    doc_.packetListener = feed_.get();
  }
  const auto slot = static_cast<std::size_t>(doc_.soundCardSlot);
  feed_->Tick(doc_.clock().Now(),
              {doc_.homeLatitude, doc_.homeLongitude, Cp1252ToUtf8(doc_.deviceName[slot])});
  const bool connected = feed_->HasConnected();  // before the notice, see HandleConnect
  std::optional<std::string> notice = feed_->TakeNotice();
  // The first connection of each feed is told once, so that the user knows
  // the settings work; a notice of the same moment (the broker is back, or
  // already lost again) says more and is shown instead.
  if (!toldConnected_ && connected) {
    toldConnected_ = true;
    if (!notice)
      notice = "Network feed: connected to the broker " + doc_.feed.host + ":" +
               std::to_string(doc_.feed.port);
  }
  return notice;
}

}  // namespace vantrel
