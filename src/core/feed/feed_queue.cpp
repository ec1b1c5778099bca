#include "feed/feed_queue.h"

#include <utility>

namespace vantrel {

void FeedQueue::Push(FeedMessage message) {
  const std::lock_guard lock(mutex_);
  messages_.push_back(std::move(message));
  Trim();
}

std::vector<FeedMessage> FeedQueue::Take(std::size_t count) {
  const std::lock_guard lock(mutex_);
  std::vector<FeedMessage> taken;
  while (taken.size() < count && !messages_.empty()) {
    taken.push_back(std::move(messages_.front()));
    messages_.pop_front();
  }
  return taken;
}

void FeedQueue::Return(std::vector<FeedMessage> messages) {
  const std::lock_guard lock(mutex_);
  messages_.insert(messages_.begin(), std::make_move_iterator(messages.begin()),
                   std::make_move_iterator(messages.end()));
  Trim();
}

std::size_t FeedQueue::Size() const {
  const std::lock_guard lock(mutex_);
  return messages_.size();
}

std::size_t FeedQueue::Dropped() const {
  const std::lock_guard lock(mutex_);
  return dropped_;
}

void FeedQueue::Trim() {
  // The newest packets are the ones worth keeping through an outage.
  while (messages_.size() > kLimit) {
    messages_.pop_front();
    ++dropped_;
  }
}

}  // namespace vantrel
