#pragma once
// The external-character bitmaps of one reading of an IC driving licence, by key: "FFF1" and
// "FFF2" from tags 48 and 49 of DF1 EF 0003, "FFF3" to "FFF7" from tags A1 to A5 of DF1 EF 0005,
// and the change flag of EF 0005 (tag A0 = 11). No bitmap is ever kept under "FFFA".
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "DriverLicense/LicenseExternalCharacter.hpp"
#include "Extension/Bytes.hpp"

namespace ekyc {

class LicenseExternalCharacters {
 public:
  using Table = std::map<std::string, std::shared_ptr<const LicenseExternalCharacter>>;

  LicenseExternalCharacters(bool changed, Table externalCharacters);

  using Elements = std::map<std::string, Bytes>;

  // What the two external-character files give: the keys FFF1, FFF2 from EF 0003 (an absent tag
  // gives an empty bitmap), and, when EF 0005 holds any of its tags, its flag A0 and FFF3..FFF7.
  // Absent when EF 0005 holds tags but no A0 (the card's format requires it).
  static std::optional<LicenseExternalCharacters> fromFiles(const Bytes& externalCharacterFile,
                                                           const Bytes& changedExternalCharacterFile);
  // The two files one at a time, as the licence reader takes them: the elements of EF 0003, 48 and
  // 49 filled in with empty bytes where missing, their bitmaps put into `keys` under FFF1 and FFF2.
  static Elements takeExternalCharacterFile(const Bytes& file, Table& keys);
  // The elements of EF 0005. When it holds any, `changed` is whether A0 is 11, A1..A5 are filled in
  // with empty bytes where missing, and their bitmaps go into `keys` under FFF3..FFF7; absent when
  // it holds elements but no A0. An empty file changes neither `keys` nor `changed`.
  static std::optional<Elements> takeChangedExternalCharacterFile(const Bytes& file, Table& keys, bool& changed);

  bool isChanged() const { return changed_; }
  const Table& externalCharacters() const { return externalCharacters_; }
  // The bitmap record under exactly this key (case-sensitive); absent when there is none.
  std::optional<LicenseExternalCharacter> getExternalCharacter(const std::string& key) const;

 private:
  bool changed_;
  Table externalCharacters_;
};

}  // namespace ekyc
