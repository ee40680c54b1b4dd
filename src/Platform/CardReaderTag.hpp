#pragma once
// A card that a CardReaderSession detected, handed to its delegate. It is an ISO 7816 tag when the
// card takes command APDUs; otherwise iso7816() is null.
#include <memory>

#include "Platform/NFCTagReaderSession.hpp"

namespace ekyc {

class CardConnection;
class CardReaderSession;

class CardReaderTag : public NFCTag, public NFCISO7816Tag, public std::enable_shared_from_this<CardReaderTag> {
 public:
  CardReaderTag(std::shared_ptr<CardReaderSession> session, std::shared_ptr<CardConnection> connection);

  std::shared_ptr<NFCISO7816Tag> iso7816() override;
  void sendCommand(const NFCISO7816APDU& apdu, Completion completionHandler) override;

  const std::shared_ptr<CardConnection>& connection() const { return connection_; }

 private:
  const std::shared_ptr<CardReaderSession> session_;
  const std::shared_ptr<CardConnection> connection_;
};

}  // namespace ekyc
