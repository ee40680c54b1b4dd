#pragma once
// The host's result protocol for the IC driving-licence reader.
#include <expected>

namespace ekyc {

class DriverLicense;
class DriverLicenseError;

class DriverLicenseInfoReaderDelegate {
 public:
  virtual ~DriverLicenseInfoReaderDelegate() = default;

  // Called once per request: success with the record, or failure with a case of the request's
  // error enumeration. Runs on the host thread for failures met before the NFC session began,
  // on the session's queue afterwards.
  virtual void didGetDriverLicense(const std::expected<DriverLicense, DriverLicenseError>& result) = 0;
};

}  // namespace ekyc
