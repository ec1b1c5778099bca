// The feed's queue through an outage: the newest messages kept, the count
// dropped told, and messages given back ahead of the newer ones.
#include <gtest/gtest.h>

#include "feed/feed_queue.h"

namespace vantrel {
namespace {

std::vector<std::string> Payloads(const std::vector<FeedMessage>& messages) {
  std::vector<std::string> payloads;
  for (const FeedMessage& m : messages) payloads.push_back(m.payload);
  return payloads;
}

TEST(FeedQueue, AFullQueueDropsTheOldestAndCountsThem) {
  FeedQueue queue;
  for (std::size_t n = 0; n < FeedQueue::kLimit + 3; ++n) queue.Push({"t", std::to_string(n)});
  EXPECT_EQ(queue.Size(), FeedQueue::kLimit);
  EXPECT_EQ(queue.Dropped(), 3u);
  auto taken = queue.Take(2);
  EXPECT_EQ(Payloads(taken), (std::vector<std::string>{"3", "4"}));
  queue.Push({"t", "newest"});
  queue.Return(std::move(taken));  // one too many: the oldest goes
  EXPECT_EQ(queue.Dropped(), 4u);
  EXPECT_EQ(Payloads(queue.Take(2)), (std::vector<std::string>{"4", "5"}));
  EXPECT_EQ(queue.Take(FeedQueue::kLimit).back().payload, "newest");
  EXPECT_TRUE(queue.Take(1).empty());
}

}  // namespace
}  // namespace vantrel
