// libFuzzer target: the signature file (DF1 EF 0007), the three signed files and the common data
// (MF EF 2F01) as a card may send them, through the signature record, the verification source, the
// partial SHA-256, the parity hash, the offset, the registered domicile and the common data's
// getters of the licence record. The input is the two external-character files, the entries, the
// registered domicile, the photo and the common data (a piece each); the rest is the signature file.
// fuzz-sources: DriverLicense/DriverLicense.cpp DriverLicense/LicenseEntries.cpp
// fuzz-sources: DriverLicense/LicenseChangedEntries.cpp DriverLicense/LicenseChangedRegisteredDomicile.cpp
// fuzz-sources: DriverLicense/LicenseCommonData.cpp DriverLicense/LicenseExternalCharacter.cpp
// fuzz-sources: DriverLicense/LicenseExternalCharacters.cpp DriverLicense/LicenseSignature.cpp Sign/Signature.cpp
// fuzz-parser: DriverLicense/DriverLicense.cpp DriverLicense/LicenseSignature.cpp DriverLicense/LicenseCommonData.cpp
#include <cstddef>
#include <cstdint>

#include "DriverLicense/DriverLicense.hpp"
#include "FuzzInput.hpp"
#include "LicenseTable.hpp"
#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ekyc;
  fuzz::FuzzInput input(data, size);
  const LicenseExternalCharacters table = fuzz::licenseTable(input);
  const Bytes entries = input.piece(), domicile = input.piece(), photo = input.piece();
  const Bytes commonDataFile = input.piece();
  const Bytes signatureFile = input.rest();
  static const ConstTag tag;
  // The registered domicile's text as the reader takes it from its file.
  const auto domicileText =
      Ber::entry(Ber().parseForDriverLicense(domicile, tag.REGISTERED_DOMICILE, false), tag.REGISTERED_DOMICILE.front());
  const DriverLicense licence(LicenseCommonData::fromFile(commonDataFile), LicenseEntries::fromFile(entries, table), domicileText, table, std::nullopt,
                              std::nullopt, LicenseSignature::fromFile(signatureFile), photo, entries, domicile, photo);
  (void)licence.getSignature();
  (void)licence.getLicenseVerifyingParams();
  (void)licence.getLicenseHashData();
  (void)licence.getLicenseEntriesRawData();
  (void)licence.getRegisteredDomicileRawData();
  (void)licence.getPhotoRawData();
  (void)licence.getWIPHash();
  (void)licence.getParityHash();
  (void)licence.getOffset();
  (void)licence.getRegisteredDomicile();
  (void)licence.indexesOfExternalCharInRegisteredDomicile();
  for (int i = -1; i < 6; ++i) (void)licence.getExternalCharInRegisteredDomicile(i);
  if (const auto& c = licence.getLicenseCommonData()) {
    (void)c->getVersion();
    (void)c->getIssueDate();
    (void)c->getExpireDate();
    (void)c->getManufacturerID();
    (void)c->getEncryptionID();
  }
  if (const auto& s = licence.getLicenseSignature()) {
    (void)s->getSerial();
    (void)s->getIssuer();
    (void)s->getSubject();
  }
  return 0;
}
