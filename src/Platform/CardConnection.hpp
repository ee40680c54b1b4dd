#pragma once
// One card in the reader's field, as a session sees it: it can be connected, carry command APDUs
// (when it is an ISO 7816 card) and be let go. A session calls these one at a time, as blocking
// tasks of its queue; the stop token given to transmit() is triggered when the session ends.
#include <expected>
#include <optional>
#include <stop_token>

#include "Extension/Bytes.hpp"
#include "Platform/NFCISO7816APDU.hpp"
#include "Platform/NFCReaderError.hpp"

namespace ekyc {

class CardConnection {
 public:
  virtual ~CardConnection() = default;

  // Whether the card takes ISO 7816-4 command APDUs.
  virtual bool isISO7816() const = 0;
  // Connects to the card; an error when it cannot.
  virtual std::optional<NFCError> connect() = 0;
  // Sends one command and returns the card's answer as it came: response data then SW1 SW2 (a
  // faulty card may answer fewer than two bytes). An error when the card cannot be reached (for
  // example it was removed) or the wait was stopped.
  virtual std::expected<Bytes, NFCError> transmit(const NFCISO7816APDU& apdu, std::stop_token stop) = 0;
  // Lets the card go with a reset (no security status outlives it); no command follows.
  virtual void disconnect() = 0;
};

}  // namespace ekyc
