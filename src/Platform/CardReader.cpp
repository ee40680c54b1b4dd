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

template <class Released>
bool CardReader::waitFor(std::chrono::milliseconds bound, Released released) {
  std::unique_lock lock(sessionsMutex_);
  if (SerialQueue::onAnyQueue() || CardReaderSession::presentingOnThisThread()) return released();
  return released_.wait_for(lock, bound, released);
}

bool CardReader::waitUntilReleased(std::chrono::milliseconds bound) {
  return waitFor(bound, [this] { return holders_.empty(); });
}

bool CardReader::waitUntilReleased(std::chrono::milliseconds bound,
                                   const std::vector<std::shared_ptr<NFCTagReaderSession>>& sessions) {
  if (sessions.empty()) return true;
  return waitFor(bound, [this, &sessions] {
    return std::none_of(holders_.begin(), holders_.end(), [&sessions](const CardReaderSession* holder) {
      const NFCTagReaderSession* held = holder;
      return std::any_of(sessions.begin(), sessions.end(), [held](const auto& session) { return session.get() == held; });
    });
  });
}

bool CardReader::sessionBegan(const std::shared_ptr<CardReaderSession>& session) {
  beforeRegistering(*session);
  std::vector<std::shared_ptr<CardReaderSession>> others;
  {
    std::lock_guard lock(sessionsMutex_);
    // Checked under this lock: a session that a later one replaced before it got here must not
    // end that later one.
    if (session->hasEnded()) return false;
    std::erase_if(sessions_, [](const auto& weak) { return weak.expired(); });
    others = locked(sessions_);
    sessions_.push_back(session);
    holders_.push_back(session.get());
  }
  for (const auto& other : others) other->cancelBySheet();
  afterRegistering(*session);
  return true;
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
