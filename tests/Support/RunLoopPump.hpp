#pragma once
// Runs the host loop until a condition holds, for conditions on state that other threads change
// without waking the loop (a test's recorders, a reader's session count): a helper thread wakes
// the loop every two milliseconds meanwhile. The library's RunLoop itself never polls.
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "UI/RunLoop.hpp"

namespace ekyc::test {

inline bool pumpUntil(RunLoop& loop, const std::function<bool()>& done, std::chrono::milliseconds limit) {
  std::atomic<bool> over{false};
  std::thread waker([&] {
    while (!over) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      loop.wake();
    }
  });
  const bool held = loop.runUntil(done, limit);
  over = true;
  waker.join();
  return held;
}

}  // namespace ekyc::test
