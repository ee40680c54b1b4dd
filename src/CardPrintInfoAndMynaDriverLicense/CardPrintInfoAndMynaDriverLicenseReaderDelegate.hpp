#pragma once
// The host's result protocol for the card surface read together with the licence data.
#include <expected>

namespace ekyc {

class CardPrintInfoAndMynaDriverLicense;
class CardPrintInfoAndMynaDriverLicenseError;

class CardPrintInfoAndMynaDriverLicenseReaderDelegate {
 public:
  virtual ~CardPrintInfoAndMynaDriverLicenseReaderDelegate() = default;

  // Called once per request: success with the record, or failure with a case of the request's
  // error enumeration. Runs on the host thread for failures met before the NFC session began,
  // on the session's queue afterwards.
  virtual void didGetCardPrintInfoAndGetMynaDriverLicense(const std::expected<CardPrintInfoAndMynaDriverLicense, CardPrintInfoAndMynaDriverLicenseError>& result) = 0;
};

}  // namespace ekyc
