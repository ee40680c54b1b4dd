#include "Platform/CardReader.hpp"

#include <algorithm>

#include "Platform/CardReaderSession.hpp"
#include "Platform/SerialQueue.hpp"

namespace ekyc {

namespace {

std::vector<std::shared_ptr<CardReaderSession>> locked(const std::vector<std::weak_ptr<CardReaderSession>>& sessions,
                                                       const CardReaderSession* except = nullptr) {
  std::vector<std::shared_ptr<CardReaderSession>> running;
  for (const auto& weak : sessions) {
    if (auto session = weak.lock(); session && session.get() != except) running.push_back(std::move(session));
  }
  return running;
}

}  // namespace

std::size_t CardReader::cancelBySheet() {
  std::vector<std::shared_ptr<CardReaderSession>> running;
  {
    std::lock_guard lock(sessionsMutex_);
    running = locked(sessions_);
  }
  std::size_t ended = 0;
  for (const auto& session : running) {
    if (session->cancelBySheet()) ++ended;
  }
  return ended;
}

std::size_t CardReader::activeSessionCount() const {
  std::lock_guard lock(sessionsMutex_);
  return holders_.size();
}

bool CardReader::waitUntilReleased(std::chrono::milliseconds bound) {
  std::unique_lock lock(sessionsMutex_);
  if (SerialQueue::onAnyQueue()) return holders_.empty();
  return released_.wait_for(lock, bound, [this] { return holders_.empty(); });
}

void CardReader::sessionBegan(const std::shared_ptr<CardReaderSession>& session) {
  std::vector<std::shared_ptr<CardReaderSession>> others;
  {
    std::lock_guard lock(sessionsMutex_);
    std::erase_if(sessions_, [](const auto& weak) { return weak.expired(); });
    others = locked(sessions_);
    sessions_.push_back(session);
    holders_.push_back(session.get());
  }
  for (const auto& other : others) other->cancelBySheet();
}

bool CardReader::waitForTurn(const CardReaderSession* session, std::stop_token stop) {
  std::unique_lock lock(sessionsMutex_);
  return released_.wait(lock, stop, [this, session] { return !holders_.empty() && holders_.front() == session; });
}

void CardReader::sessionEnded(const CardReaderSession* session) {
  {
    std::lock_guard lock(sessionsMutex_);
    std::erase(holders_, session);
    std::erase_if(sessions_, [session](const auto& weak) {
      auto held = weak.lock();
      return !held || held.get() == session;
    });
  }
  released_.notify_all();
}

}  // namespace ekyc
