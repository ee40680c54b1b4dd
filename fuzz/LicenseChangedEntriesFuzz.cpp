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
#include <optional>
#include <vector>

#include "DriverLicense/LicenseChangedEntries.hpp"
#include "DriverLicense/LicenseChangedRegisteredDomicile.hpp"
#include "FuzzInput.hpp"
#include "LicenseTable.hpp"

namespace {

// Every text of a history entry.
void readEntry(const std::optional<ekyc::ChangedEntry>& entry) {
  if (!entry) return;
  (void)entry->getJisYear();
  (void)entry->getChangeDate();
  (void)entry->getValue();
  (void)entry->getPscName();
}

void readEntries(const std::optional<std::vector<ekyc::ChangedEntry>>& entries) {
  if (entries) {
    for (const auto& entry : *entries) readEntry(entry);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ekyc;
  fuzz::FuzzInput input(data, size);
  const LicenseExternalCharacters table = fuzz::licenseTable(input);
  const Bytes file = input.rest();
  if (const auto h = LicenseChangedEntries::fromFile(file, table)) {
    (void)h->getChangeDates();
    (void)h->getChangeDateLatest();
    (void)h->getPscNames();
    (void)h->getPscNamesLatest();
    readEntries(h->getPscNameChangedEntryList());
    readEntry(h->getPscNameChangedEntryLatest());
    (void)h->getCommonNames();
    (void)h->getCommonNamesLatest();
    readEntries(h->getCommonNameChangedEntryList());
    readEntry(h->getCommonNameChangedEntryLatest());
    (void)h->getCallNames();
    (void)h->getCallNamesLatest();
    readEntries(h->getCallNameChangedEntryList());
    readEntry(h->getCallNameChangedEntryLatest());
    (void)h->getAddresses();
    (void)h->getAddressesLatest();
    readEntries(h->getAddressChangedEntryList());
    readEntry(h->getAddressChangedEntryLatest());
    (void)h->getConditions();
    readEntries(h->getConditionChangedEntryList());
    (void)h->getCancelConditions();
    readEntries(h->getCancelConditionChangedEntryList());
    (void)h->getRemarks();
    readEntries(h->getRemarkChangedEntryList());
    (void)h->getSpares();
    readEntries(h->getSpareChangedEntryList());
    (void)h->isIncludePreviousNames();
    (void)h->isIncludePreviousNamesLatest();
    (void)h->getPreviousNames();
    (void)h->getPreviousNamesLatest();
    for (int i = -1; i < 9; ++i) {
      (void)h->indexesOfExternalCharInCommonName(i);
      (void)h->getExternalCharInCommonName(i, i);
      (void)h->indexesOfExternalCharInCondition(i);
      (void)h->getExternalCharInCondition(i, 0);
      (void)h->indexesOfExternalCharInCancelCondition(i);
      (void)h->getExternalCharInCancelCondition(i, 0);
      (void)h->indexesOfExternalCharInAddress(i);
      (void)h->getExternalCharInAddress(i, 0);
      (void)h->indexesOfExternalCharInPreviousNames(i);
      (void)h->getExternalCharInPreviousNames(i, 0);
    }
  }
  if (const auto d = LicenseChangedRegisteredDomicile::fromFile(file, table)) {
    (void)d->getChangedRegisteredDomiciles();
    (void)d->getChangedRegisteredDomicileLatest();
    readEntries(d->getRegisteredDomicileChangedEntryList());
    readEntry(d->getRegisteredDomicileChangedEntryLatest());
    for (int i = -1; i < 6; ++i) {
      (void)d->indexesOfExternalCharInRegisteredDomicile(i);
      (void)d->getExternalCharInRegisteredDomicile(i, 0);
    }
  }
  return 0;
}
