#include "Platform/NFCTagReaderSession.hpp"

#include "Platform/CardReader.hpp"
#include "Platform/CardReaderSession.hpp"
#include "Platform/Platform.hpp"

namespace ekyc {

bool NFCTagReaderSession::readingAvailable(const Platform& platform) {
  return platform.cardReader && platform.cardReader->isAvailable();
}

std::shared_ptr<NFCTagReaderSession> NFCTagReaderSession::create(const Platform& platform, NFCPollingOption,
                                                                 std::shared_ptr<NFCTagReaderSessionDelegate> delegate,
                                                                 void* queue) {
  // The session always runs its own queue; a caller's queue is not supported.
  if (queue != nullptr || !delegate || !platform.cardReader) return nullptr;
  if (!platform.cardReader->acceptsNewSession()) return nullptr;
  return std::make_shared<CardReaderSession>(platform.cardReader, platform.alertPresenter, platform.sessionTimeout,
                                             std::move(delegate));
}

}  // namespace ekyc
