#include "DriverLicense/LicenseExternalCharacters.hpp"

#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

LicenseExternalCharacters::LicenseExternalCharacters(bool changed, Table externalCharacters)
    : changed_(changed), externalCharacters_(std::move(externalCharacters)) {}

std::optional<LicenseExternalCharacters> LicenseExternalCharacters::fromFiles(
    const Bytes& externalCharacterFile, const Bytes& changedExternalCharacterFile) {
  Table table;
  bool changed = false;
  takeExternalCharacterFile(externalCharacterFile, table);
  if (!takeChangedExternalCharacterFile(changedExternalCharacterFile, table, changed)) return std::nullopt;
  return LicenseExternalCharacters(changed, std::move(table));
}

namespace {

// Fills in the tags missing from the elements with empty bytes, and puts the bitmap of each tag
// into `keys` under the key of the same place.
void keep(LicenseExternalCharacters::Elements& elements, const std::vector<std::string>& tags,
          const std::vector<std::string>& keyNames, LicenseExternalCharacters::Table& keys) {
  for (std::size_t i = 0; i < tags.size() && i < keyNames.size(); ++i) {
    const Bytes& bitmap = elements.try_emplace(tags[i]).first->second;
    keys[keyNames[i]] = std::make_shared<const LicenseExternalCharacter>(bitmap);
  }
}

}  // namespace

LicenseExternalCharacters::Elements LicenseExternalCharacters::takeExternalCharacterFile(const Bytes& file,
                                                                                        Table& keys) {
  const ConstTag tag;
  auto elements = Ber().parseForDriverLicense(file, tag.EXTERNAL_CHARACTER, false);
  keep(elements, tag.EXTERNAL_CHARACTER, tag.EXTERNAL_CHARACTER_KEY, keys);
  return elements;
}

std::optional<LicenseExternalCharacters::Elements> LicenseExternalCharacters::takeChangedExternalCharacterFile(
    const Bytes& file, Table& keys, bool& changed) {
  const ConstTag tag;
  auto elements = Ber().parseForDriverLicense(file, tag.CHANGED_EXTERNAL_CHARACTERS, false);
  if (elements.empty()) return elements;
  const auto flag = Ber::entry(elements, tag.CHANGED_EXTERNAL_CHARACTER_CHG);
  if (!flag) return std::nullopt;
  changed = Utility().dataToHexString(*flag) == "11";
  keep(elements, tag.CHANGED_EXTERNAL_CHARACTER, tag.CHANGED_EXTERNAL_CHARACTER_KEY, keys);
  return elements;
}

std::optional<LicenseExternalCharacter> LicenseExternalCharacters::getExternalCharacter(const std::string& key) const {
  const auto found = externalCharacters_.find(key);
  if (found == externalCharacters_.end() || !found->second) return std::nullopt;
  return *found->second;
}

}  // namespace ekyc
