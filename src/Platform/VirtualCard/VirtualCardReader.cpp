#include "Platform/VirtualCard/VirtualCardReader.hpp"

#include <algorithm>
#include <chrono>

#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualCardConnection.hpp"

namespace ekyc {

bool VirtualCardReader::isAvailable() {
  std::lock_guard lock(mutex_);
  return available_;
}

bool VirtualCardReader::acceptsNewSession() {
  std::lock_guard lock(mutex_);
  return available_ && !creationFails_;
}

std::expected<std::vector<std::shared_ptr<CardConnection>>, NFCError> VirtualCardReader::waitForCards(
    std::stop_token stop) {
  std::unique_lock lock(mutex_);
  auto ready = [this] {
    if (waitFailure_) return true;
    if (!field_) return false;
    // A card that has left the field is not seen; an empty field list is a detection of its own.
    return field_->empty() ||
           std::any_of(field_->begin(), field_->end(), [](const auto& card) { return !card->isRemoved(); });
  };
  // Cards put back with VirtualCard::reinsert() are noticed within a short poll.
  while (!ready()) {
    if (stop.stop_requested()) break;
    changed_.wait_for(lock, stop, std::chrono::milliseconds(20), ready);
  }
  if (stop.stop_requested()) {
    return std::unexpected(NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorUserCanceled,
                                            "Session invalidated by user"));
  }
  if (waitFailure_) {
    NFCError error = *waitFailure_;
    waitFailure_.reset();
    return std::unexpected(error);
  }
  std::vector<std::shared_ptr<CardConnection>> connections;
  for (const auto& card : *field_) {
    if (!card->isRemoved()) connections.push_back(std::make_shared<VirtualCardConnection>(card, connectFailure_));
  }
  return connections;
}

void VirtualCardReader::present(std::shared_ptr<VirtualCard> card) {
  card->reinsert();
  presentCards({std::move(card)});
}

void VirtualCardReader::presentCards(std::vector<std::shared_ptr<VirtualCard>> cards) {
  {
    std::lock_guard lock(mutex_);
    field_ = std::move(cards);
  }
  changed_.notify_all();
}

void VirtualCardReader::clearField() {
  std::lock_guard lock(mutex_);
  field_.reset();
}

void VirtualCardReader::setAvailable(bool available) {
  std::lock_guard lock(mutex_);
  available_ = available;
}

void VirtualCardReader::setSessionCreationFails(bool fails) {
  std::lock_guard lock(mutex_);
  creationFails_ = fails;
}

void VirtualCardReader::failNextWait(NFCError error) {
  {
    std::lock_guard lock(mutex_);
    waitFailure_ = std::move(error);
  }
  changed_.notify_all();
}

void VirtualCardReader::setConnectFailure(std::optional<NFCError> error) {
  std::lock_guard lock(mutex_);
  connectFailure_ = std::move(error);
}

}  // namespace ekyc
