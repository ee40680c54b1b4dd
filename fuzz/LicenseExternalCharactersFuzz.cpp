// libFuzzer target: the two external-character files (DF1 EF 0003 and EF 0005) as a card may send
// them (the input split at its first byte's value), and every key of the resulting table.
// fuzz-sources: DriverLicense/DriverLicense.cpp DriverLicense/LicenseEntries.cpp
// fuzz-sources: DriverLicense/LicenseChangedEntries.cpp DriverLicense/LicenseChangedRegisteredDomicile.cpp
// fuzz-sources: DriverLicense/LicenseCommonData.cpp DriverLicense/LicenseExternalCharacter.cpp
// fuzz-sources: DriverLicense/LicenseExternalCharacters.cpp DriverLicense/LicenseSignature.cpp Sign/Signature.cpp
// fuzz-parser: DriverLicense/LicenseExternalCharacters.cpp DriverLicense/LicenseExternalCharacter.cpp
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "DriverLicense/LicenseExternalCharacters.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ekyc;
  if (size == 0) return 0;
  const std::size_t split = std::min<std::size_t>(size - 1, data[0] * 4u);
  const Bytes current(data + 1, data + 1 + split);
  const Bytes changed(data + 1 + split, data + size);
  const auto table = LicenseExternalCharacters::fromFiles(current, changed);
  if (!table) return 0;
  for (const char* key : {"FFF1", "FFF2", "FFF3", "FFF4", "FFF5", "FFF6", "FFF7", "FFFA"}) {
    if (const auto c = table->getExternalCharacter(key)) {
      (void)c->getExternalCharacter();
      (void)c->getExternalCharacterSize();
    }
  }
  return 0;
}
