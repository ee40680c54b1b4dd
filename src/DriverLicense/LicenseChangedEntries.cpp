#include "DriverLicense/LicenseChangedEntries.hpp"

#include "DriverLicense/LicenseEntries.hpp"
#include "TLV/Ber.hpp"
#include "Utility/Const.hpp"
#include "Utility/ConstTag.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

namespace {

constexpr int kHead = 15;  // edition byte and date
constexpr int kTail = 10;  // commission name

const Bytes* element(const HistoryList& list, std::optional<int> index) {
  if (!list || !index || *index < 0 || static_cast<std::size_t>(*index) >= list->size()) return nullptr;
  return &(*list)[static_cast<std::size_t>(*index)];
}

// The value part of an entry: bytes 15 up to the last ten (empty when there are none).
Bytes valuePart(const Bytes& entry) { return Utility().fetchData(entry, kHead, 0); }

}  // namespace

LicenseChangedEntries::LicenseChangedEntries(bool changed, HistoryList pscNames, HistoryList commonNames,
                                             HistoryList callNames, HistoryList addresses, HistoryList conditions,
                                             HistoryList cancelConditions, HistoryList remarks, HistoryList spares,
                                             std::optional<LicenseExternalCharacters> licenseExternalCharacters,
                                             HistoryList previousNames,
                                             std::optional<std::vector<bool>> flagPreviousNames)
    : changed_(changed),
      pscNames_(std::move(pscNames)),
      commonNames_(std::move(commonNames)),
      callNames_(std::move(callNames)),
      addresses_(std::move(addresses)),
      conditions_(std::move(conditions)),
      cancelConditions_(std::move(cancelConditions)),
      remarks_(std::move(remarks)),
      spares_(std::move(spares)),
      licenseExternalCharacters_(std::move(licenseExternalCharacters)),
      previousNames_(std::move(previousNames)),
      flagPreviousNames_(std::move(flagPreviousNames)) {}

std::optional<LicenseChangedEntries> LicenseChangedEntries::fromFile(
    const Bytes& file, std::optional<LicenseExternalCharacters> licenseExternalCharacters) {
  return fromElements(Ber().parseForDriverLicense(file, ConstTag().CHANGED_LICENSE_ENTRIES, false),
                      std::move(licenseExternalCharacters));
}

std::optional<LicenseChangedEntries> LicenseChangedEntries::fromElements(
    const std::map<std::string, Bytes>& d, std::optional<LicenseExternalCharacters> licenseExternalCharacters) {
  const ConstTag tag;
  const Const c;
  const Utility utility;
  if (d.empty()) {
    return LicenseChangedEntries(false, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                 std::nullopt, std::nullopt, std::nullopt, std::move(licenseExternalCharacters),
                                 std::nullopt, std::nullopt);
  }
  const auto flag = Ber::entry(d, tag.CHANGED_LICENSE_ENTRIES_CHG);
  if (!flag) return std::nullopt;
  const bool changed = utility.dataToHexString(*flag) == "11";
  // The present tags of a list, in list order (a missing tag leaves no gap).
  const auto plain = [&d](const std::vector<std::string>& tags) {
    std::vector<Bytes> values;
    for (const auto& t : tags) {
      if (const auto value = Ber::entry(d, t)) values.push_back(*value);
    }
    return values;
  };
  std::vector<Bytes> names;
  std::vector<Bytes> previousNames;
  std::vector<bool> flags;
  const auto& left = c.JISX_0208_SQUARE_BRACKET_LEFT;
  const auto& right = c.JISX_0208_SQUARE_BRACKET_RIGHT;
  for (const auto& t : tag.CHANGE_COMMON_NAMES) {
    const auto entry = Ber::entry(d, t);
    if (!entry) continue;
    const Bytes name = valuePart(*entry);
    if (entry->size() >= static_cast<std::size_t>(kHead + kTail) && utility.isIncludePreviousNameUsingJISX0208(name, left) &&
        utility.isIncludePreviousNameUsingJISX0208(name, right)) {
      const auto previous = utility.getPreviousNameUsingJISX0208(name, left, right);
      const auto rest = utility.removePreviousNameUsingJISX0208(name, left, right);
      if (previous && rest) {
        const Bytes head(entry->begin(), entry->begin() + kHead);
        const Bytes tail(entry->end() - kTail, entry->end());
        const auto join = [&](const Bytes& middle) {
          Bytes out = head;
          out.insert(out.end(), middle.begin(), middle.end());
          out.insert(out.end(), tail.begin(), tail.end());
          return out;
        };
        flags.push_back(true);
        previousNames.push_back(join(*previous));
        names.push_back(join(*rest));
        continue;
      }
    }
    flags.push_back(false);
    previousNames.emplace_back();
    names.push_back(*entry);
  }
  return LicenseChangedEntries(changed, plain(tag.CHANGE_PSC_NAMES), std::move(names), plain(tag.CHANGE_CALL_NAMES),
                               plain(tag.CHANGE_ADDRESSES), plain(tag.CHANGE_CONDITIONS),
                               plain(tag.CHANGE_CANCEL_CONDITIONS), plain(tag.CHANGE_REMARKS), plain(tag.CHANGE_SPARES),
                               std::move(licenseExternalCharacters), std::move(previousNames), std::move(flags));
}

std::optional<std::vector<std::string>> LicenseChangedEntries::valueTexts(const HistoryList& list) {
  if (!list) return std::nullopt;
  return Utility().fetchDataToStringArray(*list, kHead, 0);
}

std::optional<std::string> LicenseChangedEntries::last(const std::optional<std::vector<std::string>>& texts) {
  if (!texts || texts->empty()) return std::nullopt;
  return texts->back();
}

std::optional<std::vector<int>> LicenseChangedEntries::valuePositions(const HistoryList& list,
                                                                      std::optional<int> index) {
  const Bytes* entry = element(list, index);
  return entry ? LicenseEntries::externalCharPositions(valuePart(*entry)) : std::nullopt;
}

std::optional<LicenseExternalCharacter> LicenseChangedEntries::valueExternalChar(
    const HistoryList& list, std::optional<int> index, std::optional<int> externalCharIndex,
    const std::optional<LicenseExternalCharacters>& table) {
  const Bytes* entry = element(list, index);
  return entry ? LicenseEntries::externalCharAt(valuePart(*entry), 0, externalCharIndex, table) : std::nullopt;
}

std::optional<std::vector<std::string>> LicenseChangedEntries::getChangeDates() const {
  if (!pscNames_) return std::nullopt;
  std::vector<std::string> out;
  const Utility utility;
  for (const auto& entry : *pscNames_) out.push_back(utility.convertDriverLicenseChar(utility.fetchData(entry, 1, 14)));
  return out;
}
std::optional<std::string> LicenseChangedEntries::getChangeDateLatest() const { return last(getChangeDates()); }
std::optional<std::vector<std::string>> LicenseChangedEntries::getPscNames() const {
  if (!pscNames_) return std::nullopt;
  return Utility().fetchFromBottomDataToStringArray(*pscNames_, kTail);
}
std::optional<std::string> LicenseChangedEntries::getPscNamesLatest() const { return last(getPscNames()); }
std::optional<std::vector<ChangedEntry>> LicenseChangedEntries::getPscNameChangedEntryList() const {
  return Utility().createChangedEntryList(pscNames_);
}
std::optional<ChangedEntry> LicenseChangedEntries::getPscNameChangedEntryLatest() const {
  return Utility().createChangedEntryLatest(pscNames_);
}

std::optional<std::vector<std::string>> LicenseChangedEntries::getCommonNames() const { return valueTexts(commonNames_); }
std::optional<std::string> LicenseChangedEntries::getCommonNamesLatest() const { return last(getCommonNames()); }
std::optional<std::vector<ChangedEntry>> LicenseChangedEntries::getCommonNameChangedEntryList() const {
  return Utility().createChangedEntryList(commonNames_);
}
std::optional<ChangedEntry> LicenseChangedEntries::getCommonNameChangedEntryLatest() const {
  return Utility().createChangedEntryLatest(commonNames_);
}
std::optional<std::vector<std::string>> LicenseChangedEntries::getCallNames() const { return valueTexts(callNames_); }
std::optional<std::string> LicenseChangedEntries::getCallNamesLatest() const { return last(getCallNames()); }
std::optional<std::vector<ChangedEntry>> LicenseChangedEntries::getCallNameChangedEntryList() const {
  return Utility().createChangedEntryList(callNames_);
}
std::optional<ChangedEntry> LicenseChangedEntries::getCallNameChangedEntryLatest() const {
  return Utility().createChangedEntryLatest(callNames_);
}
std::optional<std::vector<std::string>> LicenseChangedEntries::getAddresses() const { return valueTexts(addresses_); }
std::optional<std::string> LicenseChangedEntries::getAddressesLatest() const { return last(getAddresses()); }
std::optional<std::vector<ChangedEntry>> LicenseChangedEntries::getAddressChangedEntryList() const {
  return Utility().createChangedEntryList(addresses_);
}
std::optional<ChangedEntry> LicenseChangedEntries::getAddressChangedEntryLatest() const {
  return Utility().createChangedEntryLatest(addresses_);
}

std::optional<std::vector<std::string>> LicenseChangedEntries::getConditions() const { return valueTexts(conditions_); }
std::optional<std::vector<ChangedEntry>> LicenseChangedEntries::getConditionChangedEntryList() const {
  return Utility().createChangedEntryList(conditions_);
}
std::optional<std::vector<std::string>> LicenseChangedEntries::getCancelConditions() const {
  return valueTexts(cancelConditions_);
}
std::optional<std::vector<ChangedEntry>> LicenseChangedEntries::getCancelConditionChangedEntryList() const {
  return Utility().createChangedEntryList(cancelConditions_);
}
std::optional<std::vector<std::string>> LicenseChangedEntries::getRemarks() const { return valueTexts(remarks_); }
std::optional<std::vector<ChangedEntry>> LicenseChangedEntries::getRemarkChangedEntryList() const {
  return Utility().createChangedEntryList(remarks_);
}
std::optional<std::vector<std::string>> LicenseChangedEntries::getSpares() const { return valueTexts(spares_); }
std::optional<std::vector<ChangedEntry>> LicenseChangedEntries::getSpareChangedEntryList() const {
  return Utility().createChangedEntryList(spares_);
}

std::optional<std::vector<int>> LicenseChangedEntries::indexesOfExternalCharInCommonName(std::optional<int> i) const {
  return valuePositions(commonNames_, i);
}
std::optional<LicenseExternalCharacter> LicenseChangedEntries::getExternalCharInCommonName(std::optional<int> i,
                                                                                           std::optional<int> x) const {
  return valueExternalChar(commonNames_, i, x, licenseExternalCharacters_);
}
std::optional<std::vector<int>> LicenseChangedEntries::indexesOfExternalCharInCondition(std::optional<int> i) const {
  return valuePositions(conditions_, i);
}
std::optional<LicenseExternalCharacter> LicenseChangedEntries::getExternalCharInCondition(std::optional<int> i,
                                                                                          std::optional<int> x) const {
  return valueExternalChar(conditions_, i, x, licenseExternalCharacters_);
}
std::optional<std::vector<int>> LicenseChangedEntries::indexesOfExternalCharInCancelCondition(
    std::optional<int> i) const {
  return valuePositions(cancelConditions_, i);
}
std::optional<LicenseExternalCharacter> LicenseChangedEntries::getExternalCharInCancelCondition(
    std::optional<int> i, std::optional<int> x) const {
  return valueExternalChar(cancelConditions_, i, x, licenseExternalCharacters_);
}
std::optional<std::vector<int>> LicenseChangedEntries::indexesOfExternalCharInAddress(std::optional<int> i) const {
  return valuePositions(addresses_, i);
}
std::optional<LicenseExternalCharacter> LicenseChangedEntries::getExternalCharInAddress(std::optional<int> i,
                                                                                        std::optional<int> x) const {
  return valueExternalChar(addresses_, i, x, licenseExternalCharacters_);
}

std::optional<std::vector<bool>> LicenseChangedEntries::isIncludePreviousNames() const {
  if (!flagPreviousNames_ || flagPreviousNames_->empty()) return std::nullopt;
  return flagPreviousNames_;
}
std::optional<bool> LicenseChangedEntries::isIncludePreviousNamesLatest() const {
  const auto flags = isIncludePreviousNames();
  if (!flags) return std::nullopt;
  return flags->back();
}
std::optional<std::vector<std::string>> LicenseChangedEntries::getPreviousNames() const {
  return valueTexts(previousNames_);
}
std::optional<std::string> LicenseChangedEntries::getPreviousNamesLatest() const { return last(getPreviousNames()); }
std::optional<std::vector<int>> LicenseChangedEntries::indexesOfExternalCharInPreviousNames(
    std::optional<int> i) const {
  return valuePositions(previousNames_, i);
}
std::optional<LicenseExternalCharacter> LicenseChangedEntries::getExternalCharInPreviousNames(
    std::optional<int> i, std::optional<int> x) const {
  return valueExternalChar(previousNames_, i, x, licenseExternalCharacters_);
}

}  // namespace ekyc
