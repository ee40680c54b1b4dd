#pragma once
// Reads an IC driving licence in one NFC session and delivers a DriverLicense: the two 4-digit
// PINs (preset, or asked for with the pin1 and pin2 dialogs) verified on the master file's PIN
// files EF 0001 and EF 0002, then the common data EF 2F01, DF1's external characters (EF 0003,
// EF 0005), entries (EF 0001), registered domicile (EF 0002), history (EF 0004, EF 0006) and
// signature (EF 0007), and DF2's photo (EF 0001), each read whole once. With an application id the
// licence is verified first (card type "driverlicense", request type "11": the SHA-256 of the
// 2967-byte signed source, the signature B1 and the key's SKI) while the session stays open.
//
// A file that lacks what the licence's format requires (a required tag, the change flag of a
// history file that has entries, or fewer bytes than the signed source needs) ends the request
// with cardConnectionFailed (13999).
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DriverLicense/DriverLicense.hpp"
#include "DriverLicense/DriverLicenseInfoReaderDelegate.hpp"
#include "Error/DriverLicenseError.hpp"
#include "Reader/CardSurfaceReaderFrame.hpp"

namespace ekyc {

class DriverLicenseInfoReader : public CardSurfaceReaderFrame<DriverLicenseError> {
 public:
  std::shared_ptr<DriverLicenseInfoReaderDelegate> delegate;
  std::optional<std::string> pin1;
  std::optional<std::string> pin2;
  std::optional<LicenseCommonData> licenseCommonData;
  std::optional<LicenseExternalCharacters> licenseExternalCharacters;
  std::optional<LicenseEntries> licenseEntries;
  std::optional<std::map<std::string, Bytes>> dicRegisteredDomicile;
  std::optional<LicenseChangedEntries> licenseChangedEntries;
  std::optional<LicenseChangedRegisteredDomicile> licenseChangedRegisteredDomicile;
  std::optional<LicenseSignature> licenseSignature;
  std::optional<std::map<std::string, Bytes>> dicPhoto;
  std::optional<Bytes> licenseEntriesResult;      // DF1 EF 0001 as read
  std::optional<Bytes> registeredDomicileResult;  // DF1 EF 0002 as read
  std::optional<Bytes> photoResult;               // DF2 EF 0001 as read

  DriverLicenseInfoReader(std::shared_ptr<DriverLicenseInfoReaderDelegate> delegate, ReaderContext context);

  // The request with verification: an absent or empty id gives notSetAppId (14001).
  void fetchDriverLicense(std::optional<std::string> appId, std::optional<std::string> pin1,
                          std::optional<std::string> pin2);
  // The request without verification.
  void fetchDriverLicense(std::optional<std::string> pin1, std::optional<std::string> pin2);

  // The verification request; true when the server answered valid, otherwise the failure has been
  // delivered.
  bool request();

  // The record of what has been read.
  DriverLicense makeDriverLicense() const;

 protected:
  std::vector<Step> chain() override;
  void finish() override;
  void deliverFailure(const DriverLicenseError& error) override;

 private:
  Bytes externalCharacterFile_;  // EF 0003, read before EF 0005 completes the table
};

}  // namespace ekyc
