#include "Platform/SerialQueue.hpp"

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
  // Delayed tasks by due time; the sequence number keeps tasks of equal time in order.
  std::map<std::pair<Clock::time_point, std::uint64_t>, Task> delayed;
  std::uint64_t sequence = 0;
  bool stopped = false;
  std::thread::id thread;
};

namespace {

void runWorker(std::shared_ptr<SerialQueue::State> state) {
  std::unique_lock lock(state->mutex);
  while (!state->stopped) {
    if (!state->delayed.empty() && state->delayed.begin()->first.first <= SerialQueue::Clock::now()) {
      auto node = state->delayed.extract(state->delayed.begin());
      state->ready.push_back(std::move(node.mapped()));
    }
    if (state->ready.empty()) {
      if (state->delayed.empty()) {
        state->wake.wait(lock);
      } else {
        const SerialQueue::Clock::time_point due = state->delayed.begin()->first.first;  // a copy: the map may change
        state->wake.wait_until(lock, due);
      }
      continue;
    }
    SerialQueue::Task task = std::move(state->ready.front());
    state->ready.pop_front();
    lock.unlock();
    // The task and everything it holds go before the lock is taken again: releasing a capture can
    // destroy the owner of this queue, whose destructor takes the lock.
    task();
    task = nullptr;
    lock.lock();
  }
}

}  // namespace

SerialQueue::SerialQueue() : state_(std::make_shared<State>()) {
  worker_ = std::thread(runWorker, state_);
  std::lock_guard lock(state_->mutex);
  state_->thread = worker_.get_id();
}

SerialQueue::~SerialQueue() {
  std::deque<Task> ready;
  std::map<std::pair<Clock::time_point, std::uint64_t>, Task> delayed;
  {
    std::lock_guard lock(state_->mutex);
    state_->stopped = true;
    ready.swap(state_->ready);
    delayed.swap(state_->delayed);
  }
  state_->wake.notify_all();
  // Tasks that never ran are dropped here, outside the lock.
  ready.clear();
  delayed.clear();
  if (std::this_thread::get_id() == worker_.get_id()) {
    worker_.detach();  // destroyed from its own task: the worker ends once that task returns
  } else if (worker_.joinable()) {
    worker_.join();
  }
}

void SerialQueue::async(Task task) {
  {
    std::lock_guard lock(state_->mutex);
    if (state_->stopped) return;
    state_->ready.push_back(std::move(task));
  }
  state_->wake.notify_one();
}

void SerialQueue::asyncAt(Clock::time_point when, Task task) {
  {
    std::lock_guard lock(state_->mutex);
    if (state_->stopped) return;
    state_->delayed.emplace(std::make_pair(when, state_->sequence++), std::move(task));
  }
  state_->wake.notify_one();
}

bool SerialQueue::isCurrent() const { return std::this_thread::get_id() == threadId(); }

std::thread::id SerialQueue::threadId() const {
  std::lock_guard lock(state_->mutex);
  return state_->thread;
}

}  // namespace ekyc
