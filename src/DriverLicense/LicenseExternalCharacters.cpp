#include "DriverLicense/LicenseExternalCharacters.hpp"

#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

LicenseExternalCharacters::LicenseExternalCharacters(bool changed, Table externalCharacters)
    : changed_(changed), externalCharacters_(std::move(externalCharacters)) {}

std::optional<LicenseExternalCharacters> LicenseExternalCharacters::fromFiles(
    const Bytes& externalCharacterFile, const Bytes& changedExternalCharacterFile) {
  const ConstTag tag;
  const Ber ber;
  Table table;
  const auto current = ber.parseForDriverLicense(externalCharacterFile, tag.EXTERNAL_CHARACTER, false);
  for (std::size_t i = 0; i < tag.EXTERNAL_CHARACTER.size(); ++i) {
    table[tag.EXTERNAL_CHARACTER_KEY[i]] = std::make_shared<const LicenseExternalCharacter>(
        Ber::entry(current, tag.EXTERNAL_CHARACTER[i]).value_or(Bytes{}));
  }
  bool changed = false;
  const auto history = ber.parseForDriverLicense(changedExternalCharacterFile, tag.CHANGED_EXTERNAL_CHARACTERS, false);
  if (!history.empty()) {
    const auto flag = Ber::entry(history, tag.CHANGED_EXTERNAL_CHARACTER_CHG);
    if (!flag) return std::nullopt;
    changed = Utility().dataToHexString(*flag) == "11";
    for (std::size_t i = 0; i < tag.CHANGED_EXTERNAL_CHARACTER.size(); ++i) {
      table[tag.CHANGED_EXTERNAL_CHARACTER_KEY[i]] = std::make_shared<const LicenseExternalCharacter>(
          Ber::entry(history, tag.CHANGED_EXTERNAL_CHARACTER[i]).value_or(Bytes{}));
    }
  }
  return LicenseExternalCharacters(changed, std::move(table));
}

std::optional<LicenseExternalCharacter> LicenseExternalCharacters::getExternalCharacter(const std::string& key) const {
  const auto found = externalCharacters_.find(key);
  if (found == externalCharacters_.end() || !found->second) return std::nullopt;
  return *found->second;
}

}  // namespace ekyc
