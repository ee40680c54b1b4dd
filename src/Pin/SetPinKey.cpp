#include "Pin/SetPinKey.hpp"

namespace ekyc {

std::string toString(SetPinKey key) {
  switch (key) {
    case SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN: return "MYNUMBERCARD_CARDPRINTINFO_PIN";
    case SetPinKey::MYNUMBERCARD_MYNUMBER_PIN: return "MYNUMBERCARD_MYNUMBER_PIN";
    case SetPinKey::RESIDENCECARD_PIN: return "RESIDENCECARD_PIN";
    case SetPinKey::MYNUMBERCARD_SIGNER_PIN: return "MYNUMBERCARD_SIGNER_PIN";
    case SetPinKey::MYNUMBERCARD_USERCERT_PIN: return "MYNUMBERCARD_USERCERT_PIN";
    case SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN: return "MYNUMBERCARD_PROMPTED_PII_PIN";
    case SetPinKey::DRIVERLICENSE_PIN1: return "DRIVERLICENSE_PIN1";
    case SetPinKey::DRIVERLICENSE_PIN2: return "DRIVERLICENSE_PIN2";
    case SetPinKey::MYNA_DRIVERLICENSE_PIN: return "MYNA_DRIVERLICENSE_PIN";
  }
  return "";
}

}  // namespace ekyc
