#pragma once
// Response chaining (ISO/IEC 7816-4), in one place for every card reader behind a session:
// - 61xx: more data waits; GET RESPONSE (Le xx, 00 for 256) until the card gives its final status,
//   the parts gathered in order (at most 65,536 bytes, then the answer is cut there and ends with
//   the last status the card gave);
// - 6Cxx: wrong Le, xx the right one; the same command once more with it, but only for a command
//   that carries Le: a command without one (VERIFY, with its PIN) is never sent twice.
#include <expected>
#include <stop_token>

#include "Extension/Bytes.hpp"
#include "Platform/NFCISO7816APDU.hpp"
#include "Platform/NFCReaderError.hpp"

namespace ekyc {

class CardConnection;

class ResponseChaining {
 public:
  // Sends the command over the connection and follows the card's chaining answers; the answer is
  // the gathered data then SW1 SW2, or the connection's error.
  static std::expected<Bytes, NFCError> transmit(CardConnection& connection, const NFCISO7816APDU& apdu,
                                                 std::stop_token stop);
};

}  // namespace ekyc
