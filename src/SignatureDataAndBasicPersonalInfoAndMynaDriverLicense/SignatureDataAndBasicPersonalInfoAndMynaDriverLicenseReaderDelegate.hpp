#pragma once
// The host's result protocol for signing with the basic items together with the licence data.
#include <expected>

namespace ekyc {

class SignatureDataAndBasicPersonalInfoAndMynaDriverLicense;
class SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseError;

class SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate {
 public:
  virtual ~SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate() = default;

  // Called once per request: success with the record, or failure with a case of the request's
  // error enumeration. Runs on the host thread for failures met before the NFC session began,
  // on the session's queue afterwards.
  virtual void didSignAndGetBasicPersonalInfoAndGetMynaDriverLicense(const std::expected<SignatureDataAndBasicPersonalInfoAndMynaDriverLicense, SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseError>& result) = 0;
};

}  // namespace ekyc
