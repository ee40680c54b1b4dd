#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "UI/RunLoop.hpp"

namespace ekyc::test {
namespace {

using namespace std::chrono_literals;

TEST(RunLoop, TasksPostedFromAnyThreadRunInOrderOnTheHostThread) {
  RunLoop loop;
  std::vector<int> order;
  std::vector<std::thread::id> threads;
  std::thread poster([&] {
    for (int i = 0; i < 5; ++i)
      loop.post([&, i] {
        order.push_back(i);
        threads.push_back(std::this_thread::get_id());
        EXPECT_TRUE(loop.isHostThread());
      });
  });
  poster.join();
  ASSERT_TRUE(loop.runUntil([&] { return order.size() == 5; }, 5s));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  for (const auto& id : threads) EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_FALSE(loop.isHostThread());
}

// Idle, runUntil sleeps: its condition is checked at the start, at each wake() and at the end,
// never on a timer; a wake() from another thread ends the wait at once.
TEST(RunLoop, RunUntilSleepsUntilWokenWithoutPolling) {
  RunLoop loop;
  EXPECT_TRUE(loop.runUntil([] { return true; }, 0ms));
  int checks = 0;
  EXPECT_FALSE(loop.runUntil([&] { return ++checks < 0; }, std::chrono::milliseconds(100)));
  EXPECT_LE(checks, 2);
  std::atomic<bool> flag{false};
  std::thread other([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    flag = true;
    loop.wake();
  });
  checks = 0;
  EXPECT_TRUE(loop.runUntil([&] { return ++checks, flag.load(); }, std::chrono::seconds(30)));
  EXPECT_LE(checks, 3);
  other.join();
}

TEST(RunLoop, RunReturnsAfterStopOnceQueuedTasksRan) {
  RunLoop loop;
  std::atomic<int> ran{0};
  std::thread other([&] {
    loop.post([&] { ++ran; });
    loop.post([&] { ++ran; });
    loop.stop();
  });
  loop.run();
  other.join();
  EXPECT_EQ(ran.load(), 2);
}

TEST(RunLoop, TasksMayPostTasks) {
  RunLoop loop;
  int depth = 0;
  loop.post([&] { loop.post([&] { depth = 2; }); depth = 1; });
  EXPECT_EQ(loop.runPending(), 1u);
  EXPECT_EQ(depth, 1);
  EXPECT_EQ(loop.pendingCount(), 1u);
  EXPECT_TRUE(loop.runUntilIdle(10ms, 1s));
  EXPECT_EQ(depth, 2);
}

}  // namespace
}  // namespace ekyc::test
