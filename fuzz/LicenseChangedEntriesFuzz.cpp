// libFuzzer target: the licence history files (DF1 EF 0004 and EF 0006) as a card may send them,
// cut into history records, and every list, latest, entry and position operation called.
// The input begins with the two external-character files (DF1 EF 0003 and EF 0005, a piece each)
// whose table the record looks its external characters up in (an empty table when they do not
// give one).
// fuzz-sources: DriverLicense/DriverLicense.cpp DriverLicense/LicenseEntries.cpp
// fuzz-sources: DriverLicense/LicenseChangedEntries.cpp DriverLicense/LicenseChangedRegisteredDomicile.cpp
// fuzz-sources: DriverLicense/LicenseCommonData.cpp DriverLicense/LicenseExternalCharacter.cpp
// fuzz-sources: DriverLicense/LicenseExternalCharacters.cpp DriverLicense/LicenseSignature.cpp Sign/Signature.cpp
// fuzz-parser: DriverLicense/LicenseChangedEntries.cpp DriverLicense/LicenseChangedRegisteredDomicile.cpp DriverLicense/ChangedEntry.cpp
#include <cstddef>
#include <cstdint>

#include "DriverLicense/LicenseChangedEntries.hpp"
#include "DriverLicense/LicenseChangedRegisteredDomicile.hpp"
#include "FuzzInput.hpp"
#include "LicenseTable.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ekyc;
  fuzz::FuzzInput input(data, size);
  const LicenseExternalCharacters table = fuzz::licenseTable(input);
  const Bytes file = input.rest();
  if (const auto h = LicenseChangedEntries::fromFile(file, table)) {
    (void)h->getChangeDates();
    (void)h->getChangeDateLatest();
    (void)h->getPscNames();
    (void)h->getPscNameChangedEntryList();
    (void)h->getCommonNames();
    (void)h->getCommonNameChangedEntryLatest();
    (void)h->getCallNames();
    (void)h->getCallNameChangedEntryLatest();
    (void)h->getAddresses();
    (void)h->getAddressChangedEntryList();
    (void)h->getConditions();
    (void)h->getCancelConditionChangedEntryList();
    (void)h->getRemarkChangedEntryList();
    (void)h->getSpareChangedEntryList();
    (void)h->getPreviousNames();
    (void)h->isIncludePreviousNamesLatest();
    for (int i = -1; i < 9; ++i) {
      (void)h->indexesOfExternalCharInCommonName(i);
      (void)h->getExternalCharInCommonName(i, i);
      (void)h->indexesOfExternalCharInAddress(i);
      (void)h->getExternalCharInCondition(i, 0);
      (void)h->getExternalCharInCancelCondition(i, 0);
      (void)h->getExternalCharInPreviousNames(i, 0);
    }
  }
  if (const auto d = LicenseChangedRegisteredDomicile::fromFile(file, table)) {
    (void)d->getChangedRegisteredDomiciles();
    (void)d->getRegisteredDomicileChangedEntryLatest();
    for (int i = -1; i < 6; ++i) (void)d->getExternalCharInRegisteredDomicile(i, 0);
  }
  return 0;
}
