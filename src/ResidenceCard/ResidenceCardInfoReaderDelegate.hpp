#pragma once
// The host's result protocol for the residence-card reader.
#include <expected>

namespace ekyc {

class ResidenceCard;
class ResidenceCardError;

class ResidenceCardInfoReaderDelegate {
 public:
  virtual ~ResidenceCardInfoReaderDelegate() = default;

  // Called once per request: success with the record, or failure with a case of the request's
  // error enumeration. Runs on the host thread for failures met before the NFC session began,
  // on the session's queue afterwards.
  virtual void didGetResidenceCard(const std::expected<ResidenceCard, ResidenceCardError>& result) = 0;
};

}  // namespace ekyc
