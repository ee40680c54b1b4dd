#pragma once
// An in-process card reader whose field holds virtual cards. A test or the example host puts cards
// in the field; a waiting session detects them at once. It also plays the reader's own faults:
// reading not available, a session that cannot be created, a wait that ends with an error, a
// connection that fails. The host cancels sessions with cancelBySheet() (CardReader).
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "Platform/CardReader.hpp"

namespace ekyc {

class VirtualCard;

class VirtualCardReader : public CardReader {
 public:
  VirtualCardReader() = default;

  bool isAvailable() override;
  bool acceptsNewSession() override;
  std::expected<std::vector<std::shared_ptr<CardConnection>>, NFCError> waitForCards(std::stop_token stop) override;

  // One card in the field (it is put back if it had left).
  void present(std::shared_ptr<VirtualCard> card);
  // Several cards at once, as one detection; an empty list is a detection of no tag at all.
  void presentCards(std::vector<std::shared_ptr<VirtualCard>> cards);
  // Empties the field.
  void clearField();

  void setAvailable(bool available);
  void setSessionCreationFails(bool fails);
  // The next session waiting for a card ends with this error instead.
  void failNextWait(NFCError error);
  // Connecting to a card fails with this error (until cleared with nullopt).
  void setConnectFailure(std::optional<NFCError> error);

 private:
  std::mutex mutex_;
  std::condition_variable_any changed_;
  std::optional<std::vector<std::shared_ptr<VirtualCard>>> field_;
  bool available_ = true;
  bool creationFails_ = false;
  std::optional<NFCError> waitFailure_;
  std::optional<NFCError> connectFailure_;
};

}  // namespace ekyc
