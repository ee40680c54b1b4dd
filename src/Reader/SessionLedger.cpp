#include "Reader/SessionLedger.hpp"

#include "Platform/NFCTagReaderSession.hpp"

namespace ekyc {

void SessionLedger::add(const std::shared_ptr<NFCTagReaderSession>& session) {
  std::lock_guard lock(mutex_);
  std::erase_if(sessions_, [](const auto& weak) { return weak.expired(); });
  sessions_.push_back(session);
}

std::vector<std::shared_ptr<NFCTagReaderSession>> SessionLedger::sessions() const {
  std::vector<std::shared_ptr<NFCTagReaderSession>> live;
  std::lock_guard lock(mutex_);
  for (const auto& weak : sessions_) {
    if (auto session = weak.lock()) live.push_back(std::move(session));
  }
  return live;
}

}  // namespace ekyc
