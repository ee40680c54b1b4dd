#pragma once
// One external character of an IC driving licence: the tag value as the card holds it, a size
// code (byte 0) followed by the character's bitmap. The bitmap is passed on uninterpreted.
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"

namespace ekyc {

class LicenseExternalCharacter {
 public:
  explicit LicenseExternalCharacter(Bytes externalCharacter);

  const Bytes& externalCharacter() const { return externalCharacter_; }

  // Everything after the size code; absent for an empty value, empty for a size code alone.
  std::optional<Bytes> getExternalCharacter() const;
  // The size code as two upper-case hex digits; absent for an empty value.
  std::optional<std::string> getExternalCharacterSize() const;

  bool operator==(const LicenseExternalCharacter&) const = default;

 private:
  Bytes externalCharacter_;
};

}  // namespace ekyc
