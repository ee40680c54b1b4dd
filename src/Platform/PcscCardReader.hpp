#pragma once
// The card reader over pcsc-lite: it uses the first PC/SC reader (or the first whose name
// contains a given text) and waits there for a card with SCardGetStatusChange, which a session's
// end cancels. Each wait has its own resource-manager context, released on every path.
#include <string>

#include "Platform/CardReader.hpp"

namespace ekyc {

class PcscCardReader : public CardReader {
 public:
  explicit PcscCardReader(std::string readerNameContains = {});

  // A PC/SC service answers and lists a matching reader.
  bool isAvailable() override;
  std::expected<std::vector<std::shared_ptr<CardConnection>>, NFCError> waitForCards(std::stop_token stop) override;

 private:
  std::string pick(const std::vector<std::string>& readers) const;
  const std::string filter_;
};

}  // namespace ekyc
