#pragma once
// Reads the driving-licence data recorded on the Individual Number Card in one NFC session with the
// 4-digit licence-data PIN (slot MYNA_DRIVERLICENSE_PIN): the licence-data application, its PIN
// file EF 0006, the entries EF 001B and their signature EF 001C. The session ends with the success
// text; then, with an application id, the data is verified (request type "43") before the record
// is delivered. A tag that is not ISO 7816 is refused at once (13999).
#include <memory>
#include <optional>
#include <string>

#include "Error/MynaDriverLicenseError.hpp"
#include "MynaDriverLicense/MynaDriverLicense.hpp"
#include "MynaDriverLicense/MynaDriverLicenseReaderDelegate.hpp"
#include "MynaDriverLicense/MynaDriverLicenseStep.hpp"
#include "Reader/CardSurfaceReaderFrame.hpp"

namespace ekyc {

class MynaDriverLicenseReader : public CardSurfaceReaderFrame<MynaDriverLicenseError> {
 public:
  std::shared_ptr<MynaDriverLicenseReaderDelegate> delegate;
  std::optional<std::string> pin;

  MynaDriverLicenseReader(std::shared_ptr<MynaDriverLicenseReaderDelegate> delegate, ReaderContext context);

  // With server verification: an absent or empty application id ends the request with 14001.
  void fetchMynaDriverLicense(std::optional<std::string> appId, std::optional<std::string> pin);
  // Without: an absent PIN is asked for with the dialog (pin1 texts).
  void fetchMynaDriverLicense(std::optional<std::string> pin);

 protected:
  std::vector<Step> chain() override;
  void finish() override;
  void deliverFailure(const MynaDriverLicenseError& error) override;
  bool tagRefused(const std::optional<NFCError>& error) override { return refuseTag(error); }

 private:
  MynaDriverLicenseStep licence_;
};

}  // namespace ekyc
