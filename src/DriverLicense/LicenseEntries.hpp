#pragma once
// The entries of an IC driving licence (DF1 EF 0001), kept as the card holds them: text items as
// JIS X 0208 bytes, dates, numbers and categories as UTF-8 bytes, the JIS edition as a raw byte.
// Text is made only when a getter is called. An empty item (or list) means the item is not on the
// card: its getters give absent.
//
// External characters: the positions operations give the character positions (two-byte
// characters from 0) of the external codes in an item; the bitmap operations give the bitmap
// stored for the character at a position (absent for an ordinary character, for FFFA, or for a
// position outside the item).
#include <optional>
#include <string>
#include <vector>

#include "DriverLicense/LicenseExternalCharacter.hpp"
#include "DriverLicense/LicenseExternalCharacters.hpp"
#include "Extension/Bytes.hpp"

namespace ekyc {

class LicenseEntries {
 public:
  LicenseEntries(Bytes jisX0208Year, Bytes commonName, Bytes kana, Bytes aliasName, Bytes callName, Bytes dateOfBirth,
                 Bytes address, Bytes issueDate, Bytes refNumber, Bytes colorClass, Bytes expireDate,
                 std::vector<Bytes> conditions, Bytes pscName, Bytes licenseNumber, std::vector<Bytes> categories,
                 std::optional<LicenseExternalCharacters> licenseExternalCharacters,
                 std::optional<Bytes> previousName);

  // The record the entries file gives: tags 11 to 33, the previous name (between JIS 214E and
  // 214F) taken out of the name. Absent when a required tag (11 to 1B, 20, 21) is missing.
  static std::optional<LicenseEntries> fromFile(const Bytes& file,
                                                std::optional<LicenseExternalCharacters> licenseExternalCharacters);

  const Bytes& jisX0208Year() const { return jisX0208Year_; }
  const Bytes& commonName() const { return commonName_; }
  const Bytes& kana() const { return kana_; }
  const Bytes& aliasName() const { return aliasName_; }
  const Bytes& callName() const { return callName_; }
  const Bytes& dateOfBirth() const { return dateOfBirth_; }
  const Bytes& address() const { return address_; }
  const Bytes& issueDate() const { return issueDate_; }
  const Bytes& refNumber() const { return refNumber_; }
  const Bytes& colorClass() const { return colorClass_; }
  const Bytes& expireDate() const { return expireDate_; }
  const std::vector<Bytes>& conditions() const { return conditions_; }
  const Bytes& pscName() const { return pscName_; }
  const Bytes& licenseNumber() const { return licenseNumber_; }
  const std::vector<Bytes>& categories() const { return categories_; }
  const std::optional<LicenseExternalCharacters>& licenseExternalCharacters() const {
    return licenseExternalCharacters_;
  }
  const std::optional<Bytes>& previousName() const { return previousName_; }

  std::optional<std::string> getJisX0208Year() const;  // hex digits ("01")
  std::optional<std::string> getCommonName() const;
  std::optional<std::string> getKana() const;
  std::optional<std::string> getAliasName() const;
  std::optional<std::string> getCallName() const;
  std::optional<std::string> getDateOfBirth() const;   // UTF-8; not UTF-8 gives ""
  std::optional<std::string> getAddress() const;
  std::optional<std::string> getIssueDate() const;
  std::optional<std::string> getRefNumber() const;
  std::optional<std::string> getColorClass() const;
  std::optional<std::string> getExpireDate() const;
  std::optional<std::vector<std::string>> getConditions() const;
  std::optional<std::string> getPscName() const;
  std::optional<std::string> getLicenseNumber() const;
  std::optional<std::vector<std::string>> getCategories() const;

  std::optional<std::vector<int>> indexesOfExternalCharInCommonName() const;
  std::optional<LicenseExternalCharacter> getExternalCharInCommonName(std::optional<int> index) const;
  std::optional<std::vector<int>> indexesOfExternalCharInCondition(std::optional<int> index) const;
  std::optional<LicenseExternalCharacter> getExternalCharInCondition(std::optional<int> conditionsIndex,
                                                                     std::optional<int> externalCharIndex) const;
  std::optional<std::vector<int>> indexesOfExternalCharInAddress() const;
  std::optional<LicenseExternalCharacter> getExternalCharInAddress(std::optional<int> index) const;
  std::optional<std::vector<int>> indexesOfExternalCharInAliasName() const;
  std::optional<LicenseExternalCharacter> getExternalCharInAliasName(std::optional<int> index) const;

  // True exactly when the name held a previous name (present, possibly empty).
  bool isIncludePreviousName() const { return previousName_.has_value(); }
  std::optional<std::string> getPreviousName() const;
  std::optional<std::vector<int>> indexesOfExternalCharInPreviousName() const;
  std::optional<LicenseExternalCharacter> getExternalCharInPreviousName(std::optional<int> index) const;

  // The positions and the bitmap at a position of any JIS item, against a table (shared by every
  // licence record).
  static std::optional<std::vector<int>> externalCharPositions(const Bytes& item);
  static std::optional<LicenseExternalCharacter> externalCharAt(
      const Bytes& item, int offset, std::optional<int> index,
      const std::optional<LicenseExternalCharacters>& table);

 private:
  Bytes jisX0208Year_;
  Bytes commonName_;
  Bytes kana_;
  Bytes aliasName_;
  Bytes callName_;
  Bytes dateOfBirth_;
  Bytes address_;
  Bytes issueDate_;
  Bytes refNumber_;
  Bytes colorClass_;
  Bytes expireDate_;
  std::vector<Bytes> conditions_;
  Bytes pscName_;
  Bytes licenseNumber_;
  std::vector<Bytes> categories_;
  std::optional<LicenseExternalCharacters> licenseExternalCharacters_;
  std::optional<Bytes> previousName_;
};

}  // namespace ekyc
