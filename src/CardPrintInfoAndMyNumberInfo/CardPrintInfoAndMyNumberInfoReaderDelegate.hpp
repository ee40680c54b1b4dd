#pragma once
// The host's result protocol for the card surface read together with the individual number.
#include <expected>

namespace ekyc {

class CardPrintInfoAndMyNumberInfo;
class CardPrintInfoAndMyNumberInfoError;

class CardPrintInfoAndMyNumberInfoReaderDelegate {
 public:
  virtual ~CardPrintInfoAndMyNumberInfoReaderDelegate() = default;

  // Called once per request: success with the record, or failure with a case of the request's
  // error enumeration. Runs on the host thread for failures met before the NFC session began,
  // on the session's queue afterwards.
  virtual void didGetCardPrintInfoAndGetMyNumber(const std::expected<CardPrintInfoAndMyNumberInfo, CardPrintInfoAndMyNumberInfoError>& result) = 0;
};

}  // namespace ekyc
