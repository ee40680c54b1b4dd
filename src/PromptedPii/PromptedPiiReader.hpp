#pragma once
// Reads the input-support application in one NFC session with the 4-digit input-support PIN
// (EF 0011): the number (EF 0001), the basic items (EF 0002), the hashes and signature (EF 0003)
// and the certificate (EF 0004), kept as read, and delivers them as a PromptedPii. With an
// application id the record's whole scope is verified first (request type "32"), while the session
// is still open: the NFC sheet shows the success text only when the data is valid.
#include <memory>
#include <optional>
#include <string>

#include "Error/PromptedPiiError.hpp"
#include "PromptedPii/PromptedPii.hpp"
#include "PromptedPii/PromptedPiiReaderDelegate.hpp"
#include "Reader/CardSurfaceReaderFrame.hpp"

namespace ekyc {

class PromptedPiiReader : public CardSurfaceReaderFrame<PromptedPiiError> {
 public:
  std::shared_ptr<PromptedPiiReaderDelegate> delegate;
  std::optional<std::string> pin;
  Bytes myNumberRawData;       // EF 0001 as read
  Bytes personalInfoRawData;   // EF 0002 as read
  Bytes signatureRawData;      // EF 0003 as read
  Bytes publicKeyCertRawData;  // EF 0004 as read
  std::optional<PromptedPii> ret;

  PromptedPiiReader(std::shared_ptr<PromptedPiiReaderDelegate> delegate, ReaderContext context);

  void fetchPromptedPii(std::optional<std::string> appId, std::optional<std::string> pin);
  void fetchPromptedPii(std::optional<std::string> pin);

  // The verification request for the record's whole scope, with the type given (the reader passes
  // "32"). True when the server answered valid; otherwise the failure has been delivered.
  bool request(const std::string& reqType, const PromptedPii& promptedPii);

 protected:
  std::vector<Step> chain() override;
  void finish() override;
  void deliverFailure(const PromptedPiiError& error) override;
};

}  // namespace ekyc
