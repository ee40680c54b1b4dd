#include "Platform/CardReaderTag.hpp"

#include "Platform/CardConnection.hpp"
#include "Platform/CardReaderSession.hpp"

namespace ekyc {

CardReaderTag::CardReaderTag(std::shared_ptr<CardReaderSession> session, std::shared_ptr<CardConnection> connection)
    : session_(std::move(session)), connection_(std::move(connection)) {}

std::shared_ptr<NFCISO7816Tag> CardReaderTag::iso7816() {
  if (!connection_->isISO7816()) return nullptr;
  return shared_from_this();
}

void CardReaderTag::sendCommand(const NFCISO7816APDU& apdu, Completion completionHandler) {
  session_->send(shared_from_this(), apdu, std::move(completionHandler));
}

}  // namespace ekyc
