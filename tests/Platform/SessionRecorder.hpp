#pragma once
// A session delegate for the platform tests: it records every callback with its thread, lets the
// test script what happens on detection, and waits for the session's end.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Platform/NFCTagReaderSession.hpp"

namespace ekyc::test {

class SessionRecorder : public NFCTagReaderSessionDelegate {
 public:
  struct Event {
    std::string name;
    std::thread::id thread;
  };

  // What to do when tags are detected (runs on the session queue).
  std::function<void(NFCTagReaderSession&, const std::vector<std::shared_ptr<NFCTag>>&)> onDetect;
  // Held strongly, as a reader holds its session (the cycle the session must break at its end).
  std::shared_ptr<NFCTagReaderSession> session;

  void tagReaderSessionDidBecomeActive(NFCTagReaderSession&) override { record("active"); }
  void tagReaderSession(NFCTagReaderSession& s, const std::vector<std::shared_ptr<NFCTag>>& tags) override {
    record("detect");
    if (onDetect) onDetect(s, tags);
  }
  void tagReaderSession(NFCTagReaderSession&, const NFCError& error) override {
    {
      std::lock_guard lock(mutex_);
      endErrors_.push_back(error);
    }
    record("end");
  }

  void record(std::string name) {
    // Notified under the lock: a waiter that wakes may destroy the recorder right away.
    std::lock_guard lock(mutex_);
    events_.push_back({std::move(name), std::this_thread::get_id()});
    changed_.notify_all();
  }

  // Waits (up to a generous limit) until an event with this name has been recorded n times.
  bool waitFor(const std::string& name, std::size_t n = 1,
               std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return countLocked(name) >= n; });
  }

  std::vector<Event> events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }
  std::vector<std::string> names() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& e : events_) out.push_back(e.name);
    return out;
  }
  std::vector<NFCError> endErrors() const {
    std::lock_guard lock(mutex_);
    return endErrors_;
  }

 private:
  std::size_t countLocked(const std::string& name) const {
    return std::count_if(events_.begin(), events_.end(), [&](const Event& e) { return e.name == name; });
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Event> events_;
  std::vector<NFCError> endErrors_;
};

}  // namespace ekyc::test
