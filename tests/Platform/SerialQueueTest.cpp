#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <vector>

#include "Platform/SerialQueue.hpp"
#include "Platform/PlatformTestSupport.hpp"

using namespace ekyc;
using namespace std::chrono_literals;

TEST(SerialQueue, CanBeDestroyedFromItsOwnTask) {
  auto queue = std::make_shared<SerialQueue>();
  std::atomic<bool> ran{false};
  std::weak_ptr<SerialQueue> weak = queue;
  // The task holds the last reference: the queue is destroyed on its own worker.
  queue->async([held = queue, &ran]() mutable {
    held.reset();
    ran = true;
  });
  queue->asyncAt(SerialQueue::Clock::now() + 1h, [] { ADD_FAILURE() << "dropped tasks never run"; });
  queue.reset();
  EXPECT_TRUE(ekyc::test::eventually([&] { return ran.load() && weak.expired(); }));
}
