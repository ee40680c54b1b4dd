#pragma once
// The host's result protocol for the card-surface reader.
#include <expected>

namespace ekyc {

class CardPrintInfo;
class CardPrintInfoError;

class CardPrintInfoReaderDelegate {
 public:
  virtual ~CardPrintInfoReaderDelegate() = default;

  // Called once per request: success with the record, or failure with a case of the request's
  // error enumeration. Runs on the host thread for failures met before the NFC session began,
  // on the session's queue afterwards.
  virtual void didGetCardPrintInfo(const std::expected<CardPrintInfo, CardPrintInfoError>& result) = 0;
};

}  // namespace ekyc
