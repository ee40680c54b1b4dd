#include "Platform/VirtualCard/VirtualCardConnection.hpp"

#include <condition_variable>
#include <mutex>

#include "Platform/VirtualCard/VirtualCard.hpp"

namespace ekyc {

namespace {

NFCError cardRemoved() {
  return NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagConnectionLost, "Tag connection lost");
}

NFCError notISO7816() {
  return NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagResponseError,
                          "The tag does not take ISO 7816 commands");
}

}  // namespace

VirtualCardConnection::VirtualCardConnection(std::shared_ptr<VirtualCard> card, std::optional<NFCError> connectFailure)
    : card_(std::move(card)), connectFailure_(std::move(connectFailure)) {}

bool VirtualCardConnection::isISO7816() const { return card_->isISO7816(); }

std::optional<NFCError> VirtualCardConnection::connect() {
  if (connectFailure_) return connectFailure_;
  if (card_->isRemoved()) return cardRemoved();
  if (!connected_) card_->powerOn();  // connecting again keeps the card's state
  connected_ = true;
  return std::nullopt;
}

std::expected<Bytes, NFCError> VirtualCardConnection::transmit(const NFCISO7816APDU& apdu, std::stop_token stop) {
  if (!card_->isISO7816()) return std::unexpected(notISO7816());
  return answerAfter(card_->transmit(apdu.encoded()), stop);
}

std::expected<Bytes, NFCError> VirtualCardConnection::answerAfter(VirtualCardAnswer answer, std::stop_token stop) {
  if (answer.delay.count() > 0) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    if (wake.wait_for(lock, stop, answer.delay, [] { return false; }) || stop.stop_requested()) {
      return std::unexpected(NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorSessionInvalidated,
                                              "Session invalidated"));
    }
  }
  if (answer.removed) return std::unexpected(cardRemoved());
  return std::move(answer.bytes);
}

void VirtualCardConnection::disconnect() {
  if (!connected_) return;
  connected_ = false;
  card_->powerOff();
}

}  // namespace ekyc
