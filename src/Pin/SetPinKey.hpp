#pragma once
// The PIN slots a host can preset on the facade and a reader reports a refused PIN for.
#include <array>
#include <string>

namespace ekyc {

enum class SetPinKey {
  MYNUMBERCARD_CARDPRINTINFO_PIN,
  MYNUMBERCARD_MYNUMBER_PIN,
  RESIDENCECARD_PIN,
  MYNUMBERCARD_SIGNER_PIN,
  MYNUMBERCARD_USERCERT_PIN,
  MYNUMBERCARD_PROMPTED_PII_PIN,
  DRIVERLICENSE_PIN1,
  DRIVERLICENSE_PIN2,
  MYNA_DRIVERLICENSE_PIN,
};

// Every slot, in declaration order.
constexpr std::array<SetPinKey, 9> allSetPinKeys() {
  return {SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, SetPinKey::MYNUMBERCARD_MYNUMBER_PIN,
          SetPinKey::RESIDENCECARD_PIN,              SetPinKey::MYNUMBERCARD_SIGNER_PIN,
          SetPinKey::MYNUMBERCARD_USERCERT_PIN,      SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN,
          SetPinKey::DRIVERLICENSE_PIN1,             SetPinKey::DRIVERLICENSE_PIN2,
          SetPinKey::MYNA_DRIVERLICENSE_PIN};
}

// The case name, e.g. "MYNUMBERCARD_SIGNER_PIN".
std::string toString(SetPinKey key);

}  // namespace ekyc
