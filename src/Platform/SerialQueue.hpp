#pragma once
// A serial task queue: tasks run one at a time in the order they were queued (delayed tasks when
// their time has come), never two at once.
//
// A queue made with a blocking lane also takes blocking tasks (asyncBlocking): card I/O that may
// wait a long time. Those run one at a time in their own order, beside the serial tasks: while one
// blocks, the serial tasks go on, on the queue's second thread. The two threads are not bound to a
// lane: the thread that finishes a blocking task runs the serial task it queued (its completion)
// itself, and the serial task that queues the next blocking task runs it afterwards on the same
// thread, so a chain of commands and completions runs on one thread without a hand-off, while a
// command that never returns still leaves the serial tasks (the session's end, its time-out) free
// to run on the other.
//
// The queue may be destroyed from one of its own tasks; that thread then finishes the task and
// ends by itself. A blocking task still running when the queue is destroyed is waited for.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace ekyc {

class SerialQueue {
 public:
  using Task = std::function<void()>;
  using Clock = std::chrono::steady_clock;

  explicit SerialQueue(bool withBlockingLane = false);
  ~SerialQueue();
  SerialQueue(const SerialQueue&) = delete;
  SerialQueue& operator=(const SerialQueue&) = delete;

  // Queues a task to run as soon as the tasks before it have run.
  void async(Task task);
  // Queues a task to run at the given time (or later, when the queue is busy).
  void asyncAt(Clock::time_point when, Task task);
  // Queues a blocking task (a queue made with a blocking lane only; otherwise it runs as async).
  void asyncBlocking(Task task);
  // Whether the caller runs one of this queue's serial tasks.
  bool isCurrent() const;
  // Whether the given thread is one of this queue's threads.
  bool runsOn(std::thread::id thread) const;
  // Whether the caller is a thread of any queue (one that must not block waiting for queued work).
  static bool onAnyQueue();

  // The queue's shared state; its workers hold it too, so it outlives a queue destroyed from a task.
  struct State;

 private:
  std::shared_ptr<State> state_;
  std::vector<std::thread> workers_;
};

}  // namespace ekyc
