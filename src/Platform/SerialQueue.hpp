#pragma once
// A serial task queue on its own worker thread: tasks run one at a time in the order they were
// queued (delayed tasks when their time has come). The queue may be destroyed from one of its own
// tasks; the worker then finishes that task and ends by itself.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace ekyc {

class SerialQueue {
 public:
  using Task = std::function<void()>;
  using Clock = std::chrono::steady_clock;

  SerialQueue();
  ~SerialQueue();
  SerialQueue(const SerialQueue&) = delete;
  SerialQueue& operator=(const SerialQueue&) = delete;

  // Queues a task to run as soon as the tasks before it have run.
  void async(Task task);
  // Queues a task to run at the given time (or later, when the queue is busy).
  void asyncAt(Clock::time_point when, Task task);
  // Whether the caller runs on this queue's worker thread.
  bool isCurrent() const;
  std::thread::id threadId() const;

  // The queue's shared state; its worker holds it too, so it outlives a queue destroyed from a task.
  struct State;

 private:
  std::shared_ptr<State> state_;
  std::thread worker_;
};

}  // namespace ekyc
