#pragma once
// The host thread's task queue. Any thread may post a task; the host thread runs them in order
// inside run() or runUntil(). The PIN dialog's actions and completion run here.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace ekyc {

class RunLoop {
 public:
  using Task = std::function<void()>;

  RunLoop() = default;
  RunLoop(const RunLoop&) = delete;
  RunLoop& operator=(const RunLoop&) = delete;

  // Queues a task; callable from any thread.
  void post(Task task);

  // Runs tasks until stop() is called (tasks already queued when it is called still run first).
  void run();
  // Makes run() return once the tasks queued so far have run; callable from any thread.
  void stop();
  // Makes a waiting runUntil() check its condition again; callable from any thread. Whoever
  // changes, on another thread, what a runUntil() condition reads calls it (or posts a task).
  void wake();

  // Runs tasks until `done` holds (checked at first, after each task and at each wake()) or
  // `timeout` has passed. Returns whether `done` held. It sleeps while idle: no periodic wake-up.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Runs tasks until the queue stays empty for `idle`, or `timeout` has passed. Returns whether it
  // became idle.
  bool runUntilIdle(std::chrono::milliseconds idle, std::chrono::milliseconds timeout);
  // Runs the tasks queued now, without waiting. Returns how many ran.
  std::size_t runPending();

  // Whether the calling thread is the one running this loop's tasks (in run, runUntil...).
  bool isHostThread() const;
  // Tasks waiting.
  std::size_t pendingCount() const;

 private:
  std::optional<Task> takeTask(std::unique_lock<std::mutex>& lock);
  void runTask(Task& task, std::unique_lock<std::mutex>& lock);

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Task> tasks_;
  bool stopRequested_ = false;
  std::uint64_t wakes_ = 0;
  std::thread::id hostThread_;
  int depth_ = 0;
};

}  // namespace ekyc
