// The messages waiting for the broker, the newest kLimit kept. One queue
// lives as long as the feed is enabled: a connection rebuilt for new
// settings sends what the old one had not, and a connection that ends gives
// back the messages the broker had not acknowledged.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace vantrel {

struct FeedMessage {
  std::string topic, payload;
  bool retain = false;
};

class FeedQueue {
 public:
  static constexpr std::size_t kLimit = 10000;

  void Push(FeedMessage message);
  // Up to count messages from the head, oldest first.
  std::vector<FeedMessage> Take(std::size_t count);
  // Puts messages that were taken back at the head, in their order.
  void Return(std::vector<FeedMessage> messages);

  std::size_t Size() const;
  // Messages dropped because the queue was full.
  std::size_t Dropped() const;

 private:
  void Trim();

  mutable std::mutex mutex_;
  std::deque<FeedMessage> messages_;
  std::size_t dropped_ = 0;
};

}  // namespace vantrel
