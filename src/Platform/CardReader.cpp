#include "Platform/CardReader.hpp"

#include <algorithm>

#include "Platform/CardReaderSession.hpp"

namespace ekyc {

std::size_t CardReader::cancelBySheet() {
  std::vector<std::shared_ptr<CardReaderSession>> running;
  {
    std::lock_guard lock(sessionsMutex_);
    for (const auto& weak : sessions_) {
      if (auto session = weak.lock()) running.push_back(std::move(session));
    }
  }
  std::size_t ended = 0;
  for (const auto& session : running) {
    if (session->cancelBySheet()) ++ended;
  }
  return ended;
}

std::size_t CardReader::activeSessionCount() const {
  std::lock_guard lock(sessionsMutex_);
  return static_cast<std::size_t>(
      std::count_if(sessions_.begin(), sessions_.end(), [](const auto& weak) { return !weak.expired(); }));
}

void CardReader::sessionBegan(const std::shared_ptr<CardReaderSession>& session) {
  std::lock_guard lock(sessionsMutex_);
  std::erase_if(sessions_, [](const auto& weak) { return weak.expired(); });
  sessions_.push_back(session);
}

void CardReader::sessionEnded(const CardReaderSession* session) {
  std::lock_guard lock(sessionsMutex_);
  std::erase_if(sessions_, [session](const auto& weak) {
    auto locked = weak.lock();
    return !locked || locked.get() == session;
  });
}

}  // namespace ekyc
