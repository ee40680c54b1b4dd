#include "DriverLicense/LicenseEntries.hpp"

#include "TLV/Ber.hpp"
#include "Utility/Const.hpp"
#include "Utility/ConstTag.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

namespace {

std::optional<std::string> jis(const Bytes& item) {
  if (item.empty()) return std::nullopt;
  return Utility().convertDriverLicenseChar(item);
}

std::optional<std::string> utf8(const Bytes& item) {
  if (item.empty()) return std::nullopt;
  return Utility().dataToUTF8String(item);
}

// Element `index` of a list; absent outside it.
const Bytes* element(const std::vector<Bytes>& list, std::optional<int> index) {
  if (!index || *index < 0 || static_cast<std::size_t>(*index) >= list.size()) return nullptr;
  return &list[static_cast<std::size_t>(*index)];
}

}  // namespace

LicenseEntries::LicenseEntries(Bytes jisX0208Year, Bytes commonName, Bytes kana, Bytes aliasName, Bytes callName,
                               Bytes dateOfBirth, Bytes address, Bytes issueDate, Bytes refNumber, Bytes colorClass,
                               Bytes expireDate, std::vector<Bytes> conditions, Bytes pscName, Bytes licenseNumber,
                               std::vector<Bytes> categories,
                               std::optional<LicenseExternalCharacters> licenseExternalCharacters,
                               std::optional<Bytes> previousName)
    : jisX0208Year_(std::move(jisX0208Year)),
      commonName_(std::move(commonName)),
      kana_(std::move(kana)),
      aliasName_(std::move(aliasName)),
      callName_(std::move(callName)),
      dateOfBirth_(std::move(dateOfBirth)),
      address_(std::move(address)),
      issueDate_(std::move(issueDate)),
      refNumber_(std::move(refNumber)),
      colorClass_(std::move(colorClass)),
      expireDate_(std::move(expireDate)),
      conditions_(std::move(conditions)),
      pscName_(std::move(pscName)),
      licenseNumber_(std::move(licenseNumber)),
      categories_(std::move(categories)),
      licenseExternalCharacters_(std::move(licenseExternalCharacters)),
      previousName_(std::move(previousName)) {}

std::optional<LicenseEntries> LicenseEntries::fromFile(const Bytes& file,
                                                       std::optional<LicenseExternalCharacters> licenseExternalCharacters) {
  const ConstTag tag;
  const Const c;
  const Utility utility;
  const auto d = Ber().parseForDriverLicense(file, tag.LISENCE_ENTRIES, false);
  for (const auto& required : {tag.JISX0208YEAR, tag.COMMON_NAME, tag.KANA, tag.ALIAS_NAME, tag.CALL_NAME,
                               tag.DATE_OF_BIRTH, tag.ADDRESS, tag.ISSUE_DATE, tag.REF_NUMBER, tag.COLOR_CLASS,
                               tag.EXPIRE_DATE, tag.PSC_NAME, tag.LICENSE_NUMBER}) {
    if (!d.count(required)) return std::nullopt;
  }
  const auto present = [&d](const std::vector<std::string>& tags) {
    std::vector<Bytes> values;
    for (const auto& t : tags) {
      if (const auto value = Ber::entry(d, t)) values.push_back(*value);
    }
    return values;
  };
  const Bytes& name = d.at(tag.COMMON_NAME);
  auto previousName =
      utility.getPreviousNameUsingJISX0208(name, c.JISX_0208_SQUARE_BRACKET_LEFT, c.JISX_0208_SQUARE_BRACKET_RIGHT);
  auto commonName =
      utility.removePreviousNameUsingJISX0208(name, c.JISX_0208_SQUARE_BRACKET_LEFT, c.JISX_0208_SQUARE_BRACKET_RIGHT);
  return LicenseEntries(d.at(tag.JISX0208YEAR), commonName.value_or(name), d.at(tag.KANA), d.at(tag.ALIAS_NAME),
                        d.at(tag.CALL_NAME), d.at(tag.DATE_OF_BIRTH), d.at(tag.ADDRESS), d.at(tag.ISSUE_DATE),
                        d.at(tag.REF_NUMBER), d.at(tag.COLOR_CLASS), d.at(tag.EXPIRE_DATE), present(tag.CONDITIONS),
                        d.at(tag.PSC_NAME), d.at(tag.LICENSE_NUMBER), present(tag.CATEGORIES),
                        std::move(licenseExternalCharacters), std::move(previousName));
}

std::optional<std::string> LicenseEntries::getJisX0208Year() const {
  if (jisX0208Year_.empty()) return std::nullopt;
  return Utility().dataToHexString(jisX0208Year_);
}
std::optional<std::string> LicenseEntries::getCommonName() const { return jis(commonName_); }
std::optional<std::string> LicenseEntries::getKana() const { return jis(kana_); }
std::optional<std::string> LicenseEntries::getAliasName() const { return jis(aliasName_); }
std::optional<std::string> LicenseEntries::getCallName() const { return jis(callName_); }
std::optional<std::string> LicenseEntries::getDateOfBirth() const { return utf8(dateOfBirth_); }
std::optional<std::string> LicenseEntries::getAddress() const { return jis(address_); }
std::optional<std::string> LicenseEntries::getIssueDate() const { return utf8(issueDate_); }
std::optional<std::string> LicenseEntries::getRefNumber() const { return utf8(refNumber_); }
std::optional<std::string> LicenseEntries::getColorClass() const { return jis(colorClass_); }
std::optional<std::string> LicenseEntries::getExpireDate() const { return utf8(expireDate_); }
std::optional<std::string> LicenseEntries::getPscName() const { return jis(pscName_); }
std::optional<std::string> LicenseEntries::getLicenseNumber() const { return utf8(licenseNumber_); }

std::optional<std::vector<std::string>> LicenseEntries::getConditions() const {
  if (conditions_.empty()) return std::nullopt;
  std::vector<std::string> out;
  for (const auto& condition : conditions_) out.push_back(Utility().convertDriverLicenseChar(condition));
  return out;
}

std::optional<std::vector<std::string>> LicenseEntries::getCategories() const {
  if (categories_.empty()) return std::nullopt;
  std::vector<std::string> out;
  for (const auto& category : categories_) out.push_back(Utility().dataToUTF8String(category));
  return out;
}

std::optional<std::vector<int>> LicenseEntries::externalCharPositions(const Bytes& item) {
  if (item.empty()) return std::nullopt;
  return Utility().getIndexesOfExternalChar(item);
}

std::optional<LicenseExternalCharacter> LicenseEntries::externalCharAt(
    const Bytes& item, int offset, std::optional<int> index, const std::optional<LicenseExternalCharacters>& table) {
  if (item.empty() || !index || !table) return std::nullopt;
  const auto key = Utility().getExternalCharKey(item, offset, *index);
  if (!key) return std::nullopt;
  return table->getExternalCharacter(*key);
}

std::optional<std::vector<int>> LicenseEntries::indexesOfExternalCharInCommonName() const {
  return externalCharPositions(commonName_);
}
std::optional<LicenseExternalCharacter> LicenseEntries::getExternalCharInCommonName(std::optional<int> index) const {
  return externalCharAt(commonName_, 0, index, licenseExternalCharacters_);
}
std::optional<std::vector<int>> LicenseEntries::indexesOfExternalCharInCondition(std::optional<int> index) const {
  const Bytes* condition = element(conditions_, index);
  return condition ? externalCharPositions(*condition) : std::nullopt;
}
std::optional<LicenseExternalCharacter> LicenseEntries::getExternalCharInCondition(
    std::optional<int> conditionsIndex, std::optional<int> externalCharIndex) const {
  const Bytes* condition = element(conditions_, conditionsIndex);
  return condition ? externalCharAt(*condition, 0, externalCharIndex, licenseExternalCharacters_) : std::nullopt;
}
std::optional<std::vector<int>> LicenseEntries::indexesOfExternalCharInAddress() const {
  return externalCharPositions(address_);
}
std::optional<LicenseExternalCharacter> LicenseEntries::getExternalCharInAddress(std::optional<int> index) const {
  return externalCharAt(address_, 0, index, licenseExternalCharacters_);
}
std::optional<std::vector<int>> LicenseEntries::indexesOfExternalCharInAliasName() const {
  return externalCharPositions(aliasName_);
}
std::optional<LicenseExternalCharacter> LicenseEntries::getExternalCharInAliasName(std::optional<int> index) const {
  return externalCharAt(aliasName_, 0, index, licenseExternalCharacters_);
}

std::optional<std::string> LicenseEntries::getPreviousName() const {
  if (!previousName_) return std::nullopt;
  return Utility().convertDriverLicenseChar(*previousName_);
}
std::optional<std::vector<int>> LicenseEntries::indexesOfExternalCharInPreviousName() const {
  return previousName_ ? externalCharPositions(*previousName_) : std::nullopt;
}
std::optional<LicenseExternalCharacter> LicenseEntries::getExternalCharInPreviousName(std::optional<int> index) const {
  return previousName_ ? externalCharAt(*previousName_, 0, index, licenseExternalCharacters_) : std::nullopt;
}

}  // namespace ekyc
