#include "UI/RunLoop.hpp"

namespace ekyc {

namespace {

// Marks the calling thread as the loop's host thread for the lifetime of one run call; nested
// calls (a task that runs the loop again) keep the mark.
class HostThreadMark {
 public:
  HostThreadMark(std::thread::id& host, int& depth) : host_(host), depth_(depth) {
    if (depth_++ == 0) host_ = std::this_thread::get_id();
  }
  ~HostThreadMark() {
    if (--depth_ == 0) host_ = std::thread::id();
  }
  HostThreadMark(const HostThreadMark&) = delete;
  HostThreadMark& operator=(const HostThreadMark&) = delete;

 private:
  std::thread::id& host_;
  int& depth_;
};

}  // namespace

void RunLoop::post(Task task) {
  if (!task) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  wake_.notify_all();
}

void RunLoop::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopRequested_ = true;
  }
  wake_.notify_all();
}

void RunLoop::wake() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++wakes_;
  }
  wake_.notify_all();
}

std::optional<RunLoop::Task> RunLoop::takeTask(std::unique_lock<std::mutex>&) {
  if (tasks_.empty()) return std::nullopt;
  Task task = std::move(tasks_.front());
  tasks_.pop_front();
  return task;
}

void RunLoop::runTask(Task& task, std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  task();
  // Destroy what the task captured before taking the lock again: a destructor may post.
  task = nullptr;
  lock.lock();
}

void RunLoop::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  HostThreadMark mark(hostThread_, depth_);
  for (;;) {
    if (auto task = takeTask(lock)) {
      runTask(*task, lock);
      continue;
    }
    if (stopRequested_) {
      stopRequested_ = false;
      return;
    }
    wake_.wait(lock, [this] { return !tasks_.empty() || stopRequested_; });
  }
}

bool RunLoop::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock<std::mutex> lock(mutex_);
  HostThreadMark mark(hostThread_, depth_);
  for (;;) {
    // A wake() from here on is not missed: it changes `wakes_` after this read.
    const std::uint64_t seen = wakes_;
    lock.unlock();
    const bool finished = done && done();
    lock.lock();
    if (finished) return true;
    if (auto task = takeTask(lock)) {
      runTask(*task, lock);
      continue;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    // Asleep until a task, a wake() or the deadline (then `done` is checked once more).
    wake_.wait_until(lock, deadline, [this, seen] { return !tasks_.empty() || wakes_ != seen; });
  }
}

bool RunLoop::runUntilIdle(std::chrono::milliseconds idle, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock<std::mutex> lock(mutex_);
  HostThreadMark mark(hostThread_, depth_);
  for (;;) {
    if (auto task = takeTask(lock)) {
      runTask(*task, lock);
      continue;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    const auto wait = std::min<std::chrono::steady_clock::duration>(deadline - now, idle);
    if (!wake_.wait_for(lock, wait, [this] { return !tasks_.empty(); })) {
      if (wait >= idle) return true;
    }
  }
}

std::size_t RunLoop::runPending() {
  std::unique_lock<std::mutex> lock(mutex_);
  HostThreadMark mark(hostThread_, depth_);
  std::size_t count = tasks_.size();
  std::size_t ran = 0;
  while (ran < count) {
    auto task = takeTask(lock);
    if (!task) break;
    runTask(*task, lock);
    ++ran;
  }
  return ran;
}

bool RunLoop::isHostThread() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return depth_ > 0 && hostThread_ == std::this_thread::get_id();
}

std::size_t RunLoop::pendingCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return tasks_.size();
}

}  // namespace ekyc
