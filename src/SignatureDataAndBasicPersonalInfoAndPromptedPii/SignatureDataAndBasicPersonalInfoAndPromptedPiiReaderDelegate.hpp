#pragma once
// The host's result protocol for signing with the basic items together with the input-support data.
#include <expected>

namespace ekyc {

class SignatureDataAndBasicPersonalInfoAndPromptedPii;
class SignatureDataAndBasicPersonalInfoAndPromptedPiiError;

class SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate {
 public:
  virtual ~SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate() = default;

  // Called once per request: success with the record, or failure with a case of the request's
  // error enumeration. Runs on the host thread for failures met before the NFC session began,
  // on the session's queue afterwards.
  virtual void didSignAndGetBasicPersonalInfoAndGetPromptedPii(const std::expected<SignatureDataAndBasicPersonalInfoAndPromptedPii, SignatureDataAndBasicPersonalInfoAndPromptedPiiError>& result) = 0;
};

}  // namespace ekyc
