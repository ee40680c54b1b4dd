#pragma once
// The change history of an IC driving licence's entries (DF1 EF 0004): one list of history entries
// per kind of change, each in tag order, the last the most recent. Entries stay bytes; the getters
// decode them (value parts, change dates, commission names) as JIS X 0208 text.
//
// A name entry whose name held a previous name (between JIS 214E and 214F) keeps only the rest;
// `previousNames` holds, for each name entry, the entry with the previous name as its value (or an
// empty entry when it held none), and `flagPreviousNames` whether it held one.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "DriverLicense/ChangedEntry.hpp"
#include "DriverLicense/LicenseExternalCharacter.hpp"
#include "DriverLicense/LicenseExternalCharacters.hpp"
#include "Extension/Bytes.hpp"

namespace ekyc {

using HistoryList = std::optional<std::vector<Bytes>>;

class LicenseChangedEntries {
 public:
  LicenseChangedEntries(bool changed, HistoryList pscNames, HistoryList commonNames, HistoryList callNames,
                        HistoryList addresses, HistoryList conditions, HistoryList cancelConditions,
                        HistoryList remarks, HistoryList spares,
                        std::optional<LicenseExternalCharacters> licenseExternalCharacters, HistoryList previousNames,
                        std::optional<std::vector<bool>> flagPreviousNames);

  // The record the changed-entries file gives. A file with none of the tags 50 to 97 gives no
  // change and absent lists; absent when it holds tags but not the flag 50.
  static std::optional<LicenseChangedEntries> fromFile(
      const Bytes& file, std::optional<LicenseExternalCharacters> licenseExternalCharacters);
  // The same from the file's elements, as the parse with the tags 50 to 97 gives them.
  static std::optional<LicenseChangedEntries> fromElements(
      const std::map<std::string, Bytes>& elements, std::optional<LicenseExternalCharacters> licenseExternalCharacters);

  bool isChanged() const { return changed_; }
  const HistoryList& pscNames() const { return pscNames_; }
  const HistoryList& commonNames() const { return commonNames_; }
  const HistoryList& callNames() const { return callNames_; }
  const HistoryList& addresses() const { return addresses_; }
  const HistoryList& conditions() const { return conditions_; }
  const HistoryList& cancelConditions() const { return cancelConditions_; }
  const HistoryList& remarks() const { return remarks_; }
  const HistoryList& spares() const { return spares_; }
  const std::optional<LicenseExternalCharacters>& licenseExternalCharacters() const {
    return licenseExternalCharacters_;
  }
  const HistoryList& previousNames() const { return previousNames_; }
  const std::optional<std::vector<bool>>& flagPreviousNames() const { return flagPreviousNames_; }

  std::optional<std::vector<std::string>> getChangeDates() const;
  std::optional<std::string> getChangeDateLatest() const;
  std::optional<std::vector<std::string>> getPscNames() const;
  std::optional<std::string> getPscNamesLatest() const;
  std::optional<std::vector<ChangedEntry>> getPscNameChangedEntryList() const;
  std::optional<ChangedEntry> getPscNameChangedEntryLatest() const;

  std::optional<std::vector<std::string>> getCommonNames() const;
  std::optional<std::string> getCommonNamesLatest() const;
  std::optional<std::vector<ChangedEntry>> getCommonNameChangedEntryList() const;
  std::optional<ChangedEntry> getCommonNameChangedEntryLatest() const;
  std::optional<std::vector<std::string>> getCallNames() const;
  std::optional<std::string> getCallNamesLatest() const;
  std::optional<std::vector<ChangedEntry>> getCallNameChangedEntryList() const;
  std::optional<ChangedEntry> getCallNameChangedEntryLatest() const;
  std::optional<std::vector<std::string>> getAddresses() const;
  std::optional<std::string> getAddressesLatest() const;
  std::optional<std::vector<ChangedEntry>> getAddressChangedEntryList() const;
  std::optional<ChangedEntry> getAddressChangedEntryLatest() const;

  std::optional<std::vector<std::string>> getConditions() const;
  std::optional<std::vector<ChangedEntry>> getConditionChangedEntryList() const;
  std::optional<std::vector<std::string>> getCancelConditions() const;
  std::optional<std::vector<ChangedEntry>> getCancelConditionChangedEntryList() const;
  std::optional<std::vector<std::string>> getRemarks() const;
  std::optional<std::vector<ChangedEntry>> getRemarkChangedEntryList() const;
  std::optional<std::vector<std::string>> getSpares() const;
  std::optional<std::vector<ChangedEntry>> getSpareChangedEntryList() const;

  std::optional<std::vector<int>> indexesOfExternalCharInCommonName(std::optional<int> index) const;
  std::optional<LicenseExternalCharacter> getExternalCharInCommonName(std::optional<int> commonNamesIndex,
                                                                      std::optional<int> externalCharIndex) const;
  std::optional<std::vector<int>> indexesOfExternalCharInCondition(std::optional<int> index) const;
  std::optional<LicenseExternalCharacter> getExternalCharInCondition(std::optional<int> conditionsIndex,
                                                                     std::optional<int> externalCharIndex) const;
  std::optional<std::vector<int>> indexesOfExternalCharInCancelCondition(std::optional<int> index) const;
  std::optional<LicenseExternalCharacter> getExternalCharInCancelCondition(std::optional<int> conditionsIndex,
                                                                           std::optional<int> externalCharIndex) const;
  std::optional<std::vector<int>> indexesOfExternalCharInAddress(std::optional<int> index) const;
  std::optional<LicenseExternalCharacter> getExternalCharInAddress(std::optional<int> addressesIndex,
                                                                   std::optional<int> externalCharIndex) const;

  std::optional<std::vector<bool>> isIncludePreviousNames() const;
  std::optional<bool> isIncludePreviousNamesLatest() const;
  std::optional<std::vector<std::string>> getPreviousNames() const;
  std::optional<std::string> getPreviousNamesLatest() const;
  std::optional<std::vector<int>> indexesOfExternalCharInPreviousNames(std::optional<int> index) const;
  std::optional<LicenseExternalCharacter> getExternalCharInPreviousNames(std::optional<int> previousNamesIndex,
                                                                         std::optional<int> externalCharIndex) const;

  // What every history record shares: the value-part texts of a list (an empty element gives the
  // empty text), the last of a list of texts, and the external-character positions and bitmap in
  // the value part of element `index`.
  static std::optional<std::vector<std::string>> valueTexts(const HistoryList& list);
  static std::optional<std::string> last(const std::optional<std::vector<std::string>>& texts);
  static std::optional<std::vector<int>> valuePositions(const HistoryList& list, std::optional<int> index);
  static std::optional<LicenseExternalCharacter> valueExternalChar(const HistoryList& list, std::optional<int> index,
                                                                  std::optional<int> externalCharIndex,
                                                                  const std::optional<LicenseExternalCharacters>& table);

 private:
  bool changed_;
  HistoryList pscNames_;
  HistoryList commonNames_;
  HistoryList callNames_;
  HistoryList addresses_;
  HistoryList conditions_;
  HistoryList cancelConditions_;
  HistoryList remarks_;
  HistoryList spares_;
  std::optional<LicenseExternalCharacters> licenseExternalCharacters_;
  HistoryList previousNames_;
  std::optional<std::vector<bool>> flagPreviousNames_;
};

}  // namespace ekyc
