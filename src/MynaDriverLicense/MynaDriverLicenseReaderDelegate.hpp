#pragma once
// The host's result protocol for the licence data on the Individual Number Card.
#include <expected>

namespace ekyc {

class MynaDriverLicense;
class MynaDriverLicenseError;

class MynaDriverLicenseReaderDelegate {
 public:
  virtual ~MynaDriverLicenseReaderDelegate() = default;

  // Called once per request: success with the record, or failure with a case of the request's
  // error enumeration. Runs on the host thread for failures met before the NFC session began,
  // on the session's queue afterwards.
  virtual void didGetMynaDriverLicense(const std::expected<MynaDriverLicense, MynaDriverLicenseError>& result) = 0;
};

}  // namespace ekyc
