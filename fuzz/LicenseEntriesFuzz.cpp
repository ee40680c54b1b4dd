// libFuzzer target: the licence entries file (DF1 EF 0001) as a card may send it, parsed into the
// record, and every getter and position operation called on the result.
// The input begins with the two external-character files (DF1 EF 0003 and EF 0005, a piece each)
// whose table the record looks its external characters up in (an empty table when they do not
// give one).
// fuzz-sources: DriverLicense/DriverLicense.cpp DriverLicense/LicenseEntries.cpp
// fuzz-sources: DriverLicense/LicenseChangedEntries.cpp DriverLicense/LicenseChangedRegisteredDomicile.cpp
// fuzz-sources: DriverLicense/LicenseCommonData.cpp DriverLicense/LicenseExternalCharacter.cpp
// fuzz-sources: DriverLicense/LicenseExternalCharacters.cpp DriverLicense/LicenseSignature.cpp Sign/Signature.cpp
// fuzz-parser: DriverLicense/LicenseEntries.cpp
#include <cstddef>
#include <cstdint>

#include "DriverLicense/LicenseEntries.hpp"
#include "FuzzInput.hpp"
#include "LicenseTable.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ekyc;
  fuzz::FuzzInput input(data, size);
  const LicenseExternalCharacters table = fuzz::licenseTable(input);
  const auto entries = LicenseEntries::fromFile(input.rest(), table);
  if (!entries) return 0;
  (void)entries->getJisX0208Year();
  (void)entries->getCommonName();
  (void)entries->getKana();
  (void)entries->getAliasName();
  (void)entries->getCallName();
  (void)entries->getDateOfBirth();
  (void)entries->getIssueDate();
  (void)entries->getRefNumber();
  (void)entries->getExpireDate();
  (void)entries->getLicenseNumber();
  (void)entries->getAddress();
  (void)entries->getColorClass();
  (void)entries->getConditions();
  (void)entries->getPscName();
  (void)entries->getCategories();
  (void)entries->getPreviousName();
  for (int i = -1; i < 4; ++i) {
    (void)entries->getExternalCharInCommonName(i);
    (void)entries->getExternalCharInAddress(i);
    (void)entries->getExternalCharInAliasName(i);
    (void)entries->getExternalCharInPreviousName(i);
    (void)entries->indexesOfExternalCharInCondition(i);
    (void)entries->getExternalCharInCondition(i, i);
  }
  (void)entries->indexesOfExternalCharInCommonName();
  (void)entries->indexesOfExternalCharInAddress();
  (void)entries->indexesOfExternalCharInAliasName();
  (void)entries->indexesOfExternalCharInPreviousName();
  return 0;
}
