#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
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
  for (auto id : threads) EXPECT_EQ(id, queue.threadId());
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

// A worker lingering after a task still takes the tasks that come meanwhile (in order, on its
// thread) and those that come after it has gone to sleep; a queue destroyed while its worker
// lingers ends at once, and a task queued to it then never runs.
TEST(SerialQueue, LingeringWorkerTakesLaterTasksAndStopsWhenDestroyed) {
  std::mutex mutex;
  std::vector<int> order;
  auto record = [&](int n) {
    std::lock_guard lock(mutex);
    order.push_back(n);
  };
  auto queue = std::make_unique<SerialQueue>();
  std::promise<void> first;
  queue->async([&] { record(1); first.set_value(); }, 100ms);
  first.get_future().wait();
  std::promise<std::thread::id> second;
  queue->async([&] { record(2); second.set_value(std::this_thread::get_id()); });  // taken while it lingers
  EXPECT_EQ(second.get_future().get(), queue->threadId());
  std::this_thread::sleep_for(20ms);
  std::promise<void> third;
  queue->async([&] { record(3); third.set_value(); }, 10s);
  third.get_future().wait();
  // Destroyed while the worker lingers for ten seconds: it must not wait that out.
  const auto before = std::chrono::steady_clock::now();
  queue.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}
