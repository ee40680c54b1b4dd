#include "DriverLicense/LicenseChangedRegisteredDomicile.hpp"

#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

LicenseChangedRegisteredDomicile::LicenseChangedRegisteredDomicile(
    bool changed, HistoryList changedRegisteredDomiciles,
    std::optional<LicenseExternalCharacters> licenseExternalCharacters)
    : changed_(changed),
      changedRegisteredDomiciles_(std::move(changedRegisteredDomiciles)),
      licenseExternalCharacters_(std::move(licenseExternalCharacters)) {}

std::optional<LicenseChangedRegisteredDomicile> LicenseChangedRegisteredDomicile::fromFile(
    const Bytes& file, std::optional<LicenseExternalCharacters> licenseExternalCharacters) {
  return fromElements(Ber().parseForDriverLicense(file, ConstTag().CHANGED_REGISTERED_DOMICILE, false),
                      std::move(licenseExternalCharacters));
}

std::optional<LicenseChangedRegisteredDomicile> LicenseChangedRegisteredDomicile::fromElements(
    const std::map<std::string, Bytes>& d, std::optional<LicenseExternalCharacters> licenseExternalCharacters) {
  const ConstTag tag;
  if (d.empty()) return LicenseChangedRegisteredDomicile(false, std::nullopt, std::nullopt);
  const auto flag = Ber::entry(d, tag.CHANGED_REGISTERED_DOMICILE_CHG);
  if (!flag) return std::nullopt;
  std::vector<Bytes> domiciles;
  for (const auto& t : tag.CHANGE_REGISTERED_DOMICILE) {
    if (const auto value = Ber::entry(d, t)) domiciles.push_back(*value);
  }
  return LicenseChangedRegisteredDomicile(Utility().dataToHexString(*flag) == "11", std::move(domiciles),
                                          std::move(licenseExternalCharacters));
}

std::optional<std::vector<std::string>> LicenseChangedRegisteredDomicile::getChangedRegisteredDomiciles() const {
  return LicenseChangedEntries::valueTexts(changedRegisteredDomiciles_);
}
std::optional<std::string> LicenseChangedRegisteredDomicile::getChangedRegisteredDomicileLatest() const {
  return LicenseChangedEntries::last(getChangedRegisteredDomiciles());
}
std::optional<std::vector<ChangedEntry>> LicenseChangedRegisteredDomicile::getRegisteredDomicileChangedEntryList() const {
  return Utility().createChangedEntryList(changedRegisteredDomiciles_);
}
std::optional<ChangedEntry> LicenseChangedRegisteredDomicile::getRegisteredDomicileChangedEntryLatest() const {
  return Utility().createChangedEntryLatest(changedRegisteredDomiciles_);
}
std::optional<std::vector<int>> LicenseChangedRegisteredDomicile::indexesOfExternalCharInRegisteredDomicile(
    std::optional<int> index) const {
  return LicenseChangedEntries::valuePositions(changedRegisteredDomiciles_, index);
}
std::optional<LicenseExternalCharacter> LicenseChangedRegisteredDomicile::getExternalCharInRegisteredDomicile(
    std::optional<int> registeredDomicileIndex, std::optional<int> externalCharIndex) const {
  return LicenseChangedEntries::valueExternalChar(changedRegisteredDomiciles_, registeredDomicileIndex,
                                                  externalCharIndex, licenseExternalCharacters_);
}

}  // namespace ekyc
