#pragma once
// The change history of the registered domicile of an IC driving licence (DF1 EF 0006): the change
// flag (tag AA = 11) and the history entries of tags AB to AF, in tag order, the last the most
// recent.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "DriverLicense/ChangedEntry.hpp"
#include "DriverLicense/LicenseChangedEntries.hpp"
#include "DriverLicense/LicenseExternalCharacter.hpp"
#include "DriverLicense/LicenseExternalCharacters.hpp"
#include "Extension/Bytes.hpp"

namespace ekyc {

class LicenseChangedRegisteredDomicile {
 public:
  LicenseChangedRegisteredDomicile(bool changed, HistoryList changedRegisteredDomiciles,
                                   std::optional<LicenseExternalCharacters> licenseExternalCharacters);

  // The record the file gives. A file with none of the tags AA to AF gives no change, no list and
  // no external characters; absent when it holds tags but not the flag AA.
  static std::optional<LicenseChangedRegisteredDomicile> fromFile(
      const Bytes& file, std::optional<LicenseExternalCharacters> licenseExternalCharacters);
  // The same from the file's elements, as the parse with the tags AA to AF gives them.
  static std::optional<LicenseChangedRegisteredDomicile> fromElements(
      const std::map<std::string, Bytes>& elements, std::optional<LicenseExternalCharacters> licenseExternalCharacters);

  bool isChanged() const { return changed_; }
  const HistoryList& changedRegisteredDomiciles() const { return changedRegisteredDomiciles_; }
  const std::optional<LicenseExternalCharacters>& licenseExternalCharacters() const {
    return licenseExternalCharacters_;
  }

  std::optional<std::vector<std::string>> getChangedRegisteredDomiciles() const;
  std::optional<std::string> getChangedRegisteredDomicileLatest() const;
  std::optional<std::vector<ChangedEntry>> getRegisteredDomicileChangedEntryList() const;
  std::optional<ChangedEntry> getRegisteredDomicileChangedEntryLatest() const;
  std::optional<std::vector<int>> indexesOfExternalCharInRegisteredDomicile(std::optional<int> index) const;
  std::optional<LicenseExternalCharacter> getExternalCharInRegisteredDomicile(
      std::optional<int> registeredDomicileIndex, std::optional<int> externalCharIndex) const;

 private:
  bool changed_;
  HistoryList changedRegisteredDomiciles_;
  std::optional<LicenseExternalCharacters> licenseExternalCharacters_;
};

}  // namespace ekyc
