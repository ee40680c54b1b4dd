#pragma once
// The host's result protocol for signing with the four basic items.
#include <expected>

namespace ekyc {

class SignatureDataAndBasicPersonalInfo;
class SignatureDataAndBasicPersonalInfoError;

class SignatureDataAndBasicPersonalInfoGeneratorDelegate {
 public:
  virtual ~SignatureDataAndBasicPersonalInfoGeneratorDelegate() = default;

  // Called once per request: success with the record, or failure with a case of the request's
  // error enumeration. Runs on the host thread for failures met before the NFC session began,
  // on the session's queue afterwards.
  virtual void didSignAndGetBasicPersonalInfo(const std::expected<SignatureDataAndBasicPersonalInfo, SignatureDataAndBasicPersonalInfoError>& result) = 0;
};

}  // namespace ekyc
