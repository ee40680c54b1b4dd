#pragma once
// A virtual card in a VirtualCardReader's field, as a session uses it. Connecting powers the card
// on; each command goes to the card in-process, after the delay a fault asks for (cut short when
// the session ends); a card that left the field gives a transport error.
#include <memory>
#include <optional>

#include "Platform/CardConnection.hpp"
#include "Platform/VirtualCard/VirtualCardAnswer.hpp"

namespace ekyc {

class VirtualCard;

class VirtualCardConnection : public CardConnection {
 public:
  VirtualCardConnection(std::shared_ptr<VirtualCard> card, std::optional<NFCError> connectFailure);

  bool isISO7816() const override;
  std::optional<NFCError> connect() override;
  std::expected<Bytes, NFCError> transmit(const NFCISO7816APDU& apdu, std::stop_token stop) override;
  void disconnect() override;

  const std::shared_ptr<VirtualCard>& card() const { return card_; }

 private:
  std::expected<Bytes, NFCError> answerAfter(VirtualCardAnswer answer, std::stop_token stop);

  const std::shared_ptr<VirtualCard> card_;
  const std::optional<NFCError> connectFailure_;
  bool connected_ = false;  // used by one session thread at a time
};

}  // namespace ekyc
