// libFuzzer target: the signature file (DF1 EF 0007) and the three signed files as a card may send
// them (the input cut into four parts by its first bytes), through the signature record, the
// verification source, the partial SHA-256, the parity hash and the offset of the licence record.
// fuzz-sources: DriverLicense/DriverLicense.cpp DriverLicense/LicenseEntries.cpp
// fuzz-sources: DriverLicense/LicenseChangedEntries.cpp DriverLicense/LicenseChangedRegisteredDomicile.cpp
// fuzz-sources: DriverLicense/LicenseCommonData.cpp DriverLicense/LicenseExternalCharacter.cpp
// fuzz-sources: DriverLicense/LicenseExternalCharacters.cpp DriverLicense/LicenseSignature.cpp Sign/Signature.cpp
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "DriverLicense/DriverLicense.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ekyc;
  if (size < 6) return 0;
  const auto length = [&](std::size_t i) { return (std::size_t(data[2 * i]) << 8) | data[2 * i + 1]; };
  std::size_t at = 6;
  const auto take = [&](std::size_t n) {
    n = std::min(n, size - at);
    Bytes part(data + at, data + at + n);
    at += n;
    return part;
  };
  const Bytes entries = take(length(0)), domicile = take(length(1)), photo = take(length(2));
  const Bytes signatureFile = take(size);
  const DriverLicense licence(std::nullopt, std::nullopt, domicile, std::nullopt, std::nullopt, std::nullopt,
                              LicenseSignature::fromFile(signatureFile), std::nullopt, entries, domicile, photo);
  (void)licence.getSignature();
  (void)licence.getLicenseVerifyingParams();
  (void)licence.getLicenseHashData();
  (void)licence.getWIPHash();
  (void)licence.getParityHash();
  (void)licence.getOffset();
  (void)licence.getRegisteredDomicile();
  (void)licence.indexesOfExternalCharInRegisteredDomicile();
  if (const auto& s = licence.getLicenseSignature()) {
    (void)s->getSerial();
    (void)s->getIssuer();
    (void)s->getSubject();
  }
  return 0;
}
