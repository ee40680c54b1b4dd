#pragma once
// The host's result protocol for signing together with reading the individual number.
#include <expected>

namespace ekyc {

class SignatureDataAndMyNumberInfo;
class SignatureDataAndMyNumberInfoError;

class SignatureDataAndMyNumberInfoReaderDelegate {
 public:
  virtual ~SignatureDataAndMyNumberInfoReaderDelegate() = default;

  // Called once per request: success with the record, or failure with a case of the request's
  // error enumeration. Runs on the host thread for failures met before the NFC session began,
  // on the session's queue afterwards.
  virtual void didSignAndGetMyNumberInfo(const std::expected<SignatureDataAndMyNumberInfo, SignatureDataAndMyNumberInfoError>& result) = 0;
};

}  // namespace ekyc
