#include "DriverLicense/LicenseExternalCharacter.hpp"

#include "Utility/Utility.hpp"

namespace ekyc {

LicenseExternalCharacter::LicenseExternalCharacter(Bytes externalCharacter)
    : externalCharacter_(std::move(externalCharacter)) {}

std::optional<Bytes> LicenseExternalCharacter::getExternalCharacter() const {
  if (externalCharacter_.empty()) return std::nullopt;
  return Bytes(externalCharacter_.begin() + 1, externalCharacter_.end());
}

std::optional<std::string> LicenseExternalCharacter::getExternalCharacterSize() const {
  if (externalCharacter_.empty()) return std::nullopt;
  return Utility().byteToHexString(Bytes{externalCharacter_.front()});
}

}  // namespace ekyc
