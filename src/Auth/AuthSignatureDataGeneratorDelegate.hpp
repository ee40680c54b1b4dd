#pragma once
// The host's result protocol for the user-authentication signing request.
#include <expected>

namespace ekyc {

class SignatureData;
class SignatureDataError;

class AuthSignatureDataGeneratorDelegate {
 public:
  virtual ~AuthSignatureDataGeneratorDelegate() = default;

  // Called once per request: success with the record, or failure with a case of the request's
  // error enumeration. Runs on the host thread for failures met before the NFC session began,
  // on the session's queue afterwards.
  virtual void didAuth(const std::expected<SignatureData, SignatureDataError>& result) = 0;
};

}  // namespace ekyc
