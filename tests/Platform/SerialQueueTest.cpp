#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <vector>

#include "Platform/SerialQueue.hpp"
#include "Platform/PlatformTestSupport.hpp"

using namespace ekyc;
using namespace std::chrono_literals;

TEST(SerialQueue, RunsTasksInOrderOnOneThreadAndDelayedOnesWhenDue) {
  SerialQueue queue;
  std::mutex mutex;
  std::vector<int> order;
  std::vector<std::thread::id> threads;
  std::promise<void> done;
  auto record = [&](int n) {
    std::lock_guard lock(mutex);
    order.push_back(n);
    threads.push_back(std::this_thread::get_id());
  };
  const auto now = SerialQueue::Clock::now();
  queue.asyncAt(now + 30ms, [&] {
    record(4);
    done.set_value();
  });
  queue.asyncAt(now + 10ms, [&] { record(3); });
  queue.async([&] { record(1); });
  queue.async([&] {
    record(2);
    EXPECT_TRUE(queue.isCurrent());
  });
  done.get_future().wait();
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
  for (auto id : threads) EXPECT_EQ(id, threads.front());
  EXPECT_TRUE(queue.runsOn(threads.front()));
  EXPECT_FALSE(queue.isCurrent());
}

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
