#pragma once
// The host's result protocol for signing with the basic items together with the individual number.
#include <expected>

namespace ekyc {

class SignatureDataAndBasicPersonalInfoAndMyNumberInfo;
class SignatureDataAndBasicPersonalInfoAndMyNumberInfoError;

class SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate {
 public:
  virtual ~SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate() = default;

  // Called once per request: success with the record, or failure with a case of the request's
  // error enumeration. Runs on the host thread for failures met before the NFC session began,
  // on the session's queue afterwards.
  virtual void didSignAndGetBasicPersonalInfoAndGetMyNumber(const std::expected<SignatureDataAndBasicPersonalInfoAndMyNumberInfo, SignatureDataAndBasicPersonalInfoAndMyNumberInfoError>& result) = 0;
};

}  // namespace ekyc
