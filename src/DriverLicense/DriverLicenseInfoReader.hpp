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
  // Never set: the record is made when it is delivered, and the reader does not keep it.
  std::optional<DriverLicense> driverLicense;
  std::optional<LicenseCommonData> licenseCommonData;
  std::optional<LicenseEntries> licenseEntries;
  std::optional<std::map<std::string, Bytes>> dicRegisteredDomicile;
  // EF 0003's elements, 48 and 49 filled in with empty bytes where missing.
  std::optional<std::map<std::string, Bytes>> dicExternalCharacters;
  std::optional<std::map<std::string, Bytes>> dicChangedLicenseEntries;  // EF 0004's elements
  std::optional<LicenseChangedEntries> licenseChangedEntries;
  // EF 0005's elements, A1 to A5 filled in with empty bytes where missing when it holds any.
  std::optional<std::map<std::string, Bytes>> dicChangedExternalCharacter;
  // The external characters every record of this reading gets: the flag and bitmaps below.
  std::optional<LicenseExternalCharacters> licenseExternalCharacters;
  std::optional<std::map<std::string, Bytes>> dicChangedRegisteredDomicile;  // EF 0006's elements
  std::optional<LicenseChangedRegisteredDomicile> licenseChangedRegisteredDomicile;
  std::optional<LicenseSignature> licenseSignature;
  std::optional<std::map<std::string, Bytes>> dicPhoto;
  // The bitmaps by key: FFF1 and FFF2 from EF 0003, FFF3 to FFF7 from EF 0005 when it holds any.
  LicenseExternalCharacters::Table dicExternalCharactersKey;
  bool externalCharacterChanged = false;  // EF 0005's A0 is 11
  // One element per name of EF 0004 (60 to 67): the entry with its previous name as the name,
  // empty bytes for a name without one; and, per tag, whether the name held one (absent for a
  // missing tag).
  std::optional<std::vector<std::optional<Bytes>>> previousNames = std::vector<std::optional<Bytes>>{};
  std::vector<std::optional<bool>> flagPreviousNames;
  std::optional<Bytes> previousName;  // the previous name of the entries' name (12)
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
  // What the changed-entries file gives the reader's name lists, once its record is made.
  void keepPreviousNames();
};

}  // namespace ekyc
