#include "Platform/SerialQueue.hpp"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <utility>

namespace ekyc {

struct SerialQueue::State {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<Task> ready;
  std::deque<Task> blocking;
  // Delayed tasks by due time; the sequence number keeps tasks of equal time in order.
  std::map<std::pair<Clock::time_point, std::uint64_t>, Task> delayed;
  std::uint64_t sequence = 0;
  bool serialBusy = false;
  bool blockingBusy = false;
  bool stopped = false;
  int idle = 0;  // workers waiting for work
  std::vector<std::thread::id> threads;

  bool runnable() const { return (!serialBusy && !ready.empty()) || (!blockingBusy && !blocking.empty()); }
};

namespace {

// The queue whose serial task the calling thread runs, and the queue it works for at all.
thread_local const SerialQueue::State* runningSerial = nullptr;
thread_local const SerialQueue::State* workingFor = nullptr;

void runWorker(std::shared_ptr<SerialQueue::State> state) {
  workingFor = state.get();
  std::unique_lock lock(state->mutex);
  while (!state->stopped) {
    while (!state->delayed.empty() && state->delayed.begin()->first.first <= SerialQueue::Clock::now()) {
      auto node = state->delayed.extract(state->delayed.begin());
      state->ready.push_back(std::move(node.mapped()));
    }
    SerialQueue::Task task;
    bool blocking = false;
    if (!state->serialBusy && !state->ready.empty()) {
      task = std::move(state->ready.front());
      state->ready.pop_front();
      state->serialBusy = true;
    } else if (!state->blockingBusy && !state->blocking.empty()) {
      task = std::move(state->blocking.front());
      state->blocking.pop_front();
      state->blockingBusy = true;
      blocking = true;
    } else {
      ++state->idle;
      if (state->delayed.empty()) {
        state->wake.wait(lock);
      } else {
        const SerialQueue::Clock::time_point due = state->delayed.begin()->first.first;  // a copy: the map may change
        state->wake.wait_until(lock, due);
      }
      --state->idle;
      continue;
    }
    // Work this thread leaves behind goes to an idle one (only when two things can run at once).
    if (state->idle > 0 && state->runnable()) state->wake.notify_one();
    lock.unlock();
    // The task and everything it holds go before the lock is taken again: releasing a capture can
    // destroy the owner of this queue, whose destructor takes the lock.
    runningSerial = blocking ? nullptr : state.get();
    task();
    task = nullptr;
    runningSerial = nullptr;
    lock.lock();
    (blocking ? state->blockingBusy : state->serialBusy) = false;
  }
  workingFor = nullptr;
}

}  // namespace

SerialQueue::SerialQueue(bool withBlockingLane) : state_(std::make_shared<State>()) {
  const int count = withBlockingLane ? 2 : 1;
  std::lock_guard lock(state_->mutex);
  for (int i = 0; i < count; ++i) {
    workers_.emplace_back(runWorker, state_);
    state_->threads.push_back(workers_.back().get_id());
  }
}

SerialQueue::~SerialQueue() {
  std::deque<Task> ready;
  std::deque<Task> blocking;
  std::map<std::pair<Clock::time_point, std::uint64_t>, Task> delayed;
  {
    std::lock_guard lock(state_->mutex);
    state_->stopped = true;
    ready.swap(state_->ready);
    blocking.swap(state_->blocking);
    delayed.swap(state_->delayed);
  }
  state_->wake.notify_all();
  // Tasks that never ran are dropped here, outside the lock.
  ready.clear();
  blocking.clear();
  delayed.clear();
  for (auto& worker : workers_) {
    if (std::this_thread::get_id() == worker.get_id()) {
      worker.detach();  // destroyed from its own task: the worker ends once that task returns
    } else if (worker.joinable()) {
      worker.join();
    }
  }
}

namespace {

void push(SerialQueue::State& state, std::deque<SerialQueue::Task>& lane, SerialQueue::Task task) {
  bool wake = false;
  {
    std::lock_guard lock(state.mutex);
    if (state.stopped) return;
    lane.push_back(std::move(task));
    // A worker of this queue that queues work runs it itself once its task returns (and hands it
    // on when it has to block first); only work from outside wakes a waiting worker.
    wake = workingFor != &state && state.idle > 0;
  }
  if (wake) state.wake.notify_one();
}

}  // namespace

void SerialQueue::async(Task task) { push(*state_, state_->ready, std::move(task)); }

void SerialQueue::asyncBlocking(Task task) {
  push(*state_, workers_.size() > 1 ? state_->blocking : state_->ready, std::move(task));
}

void SerialQueue::asyncAt(Clock::time_point when, Task task) {
  {
    std::lock_guard lock(state_->mutex);
    if (state_->stopped) return;
    state_->delayed.emplace(std::make_pair(when, state_->sequence++), std::move(task));
  }
  state_->wake.notify_all();
}

bool SerialQueue::isCurrent() const { return runningSerial == state_.get(); }

bool SerialQueue::onAnyQueue() { return workingFor != nullptr; }

bool SerialQueue::runsOn(std::thread::id thread) const {
  std::lock_guard lock(state_->mutex);
  return std::find(state_->threads.begin(), state_->threads.end(), thread) != state_->threads.end();
}

}  // namespace ekyc
