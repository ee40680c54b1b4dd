#pragma once
// The card reader over pcsc-lite: it uses the first PC/SC reader (or the first whose name
// contains a given text) and waits there for a card with SCardGetStatusChange, which a session's
// end cancels. Its sessions run on one resource-manager context, kept for the reader's life:
// established at the first wait, and once more when the service has dropped it (pcscd restarted).
// One session at a time uses it (CardReader), and pcsc-lite serialises calls on a context.
// isAvailable() asks on a context of its own, so that it never waits behind a session's wait for
// more than one bounded slice of it (listing and waiting take turns process-wide: PcscContext).
#include <mutex>
#include <string>

#include <PCSC/winscard.h>

#include "Platform/CardReader.hpp"

namespace ekyc {

class PcscContext;

class PcscCardReader : public CardReader {
 public:
  explicit PcscCardReader(std::string readerNameContains = {});

  // A PC/SC service answers and lists a matching reader.
  bool isAvailable() override;
  std::expected<std::vector<std::shared_ptr<CardConnection>>, NFCError> waitForCards(std::stop_token stop) override;

 private:
  // A call of the PC/SC service that failed, with its result code.
  struct Failure {
    std::string call;
    LONG result;
  };
  using Cards = std::vector<std::shared_ptr<CardConnection>>;

  // The kept context, established when there is none; null (with the reason) when the service
  // cannot be reached. `fresh` tells whether it was established by this call.
  std::shared_ptr<PcscContext> keptContext(LONG& error, bool& fresh);
  // Drops the kept context when it is `dead`, so that the next use establishes another.
  void forget(const std::shared_ptr<PcscContext>& dead);
  // Waits on one context until a card is present, the wait is stopped (SCARD_E_CANCELLED) or the
  // service fails.
  std::expected<Cards, Failure> watch(const std::shared_ptr<PcscContext>& context, std::stop_token stop) const;
  std::string pick(const std::vector<std::string>& readers) const;

  const std::string filter_;
  std::mutex contextMutex_;
  std::shared_ptr<PcscContext> context_;
};

}  // namespace ekyc
