#pragma once
// Fails a test that hangs instead of leaving CI blocked: when the watchdog is still alive after
// its limit, it names the step that hung and ends the test process with a failure.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace ekyc::test {

class Watchdog {
 public:
  Watchdog(std::chrono::milliseconds limit, std::string what)
      : thread_([this, limit, what = std::move(what)] {
          std::unique_lock lock(mutex_);
          if (!over_.wait_for(lock, limit, [this] { return done_; })) {
            std::fprintf(stderr, "watchdog: hung: %s\n", what.c_str());
            std::fflush(stderr);
            std::_Exit(3);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    over_.notify_all();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable over_;
  bool done_ = false;
  std::thread thread_;  // last: started once the rest is ready
};

}  // namespace ekyc::test
