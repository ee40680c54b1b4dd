#pragma once
// The failures of the card surface read together with the licence data. The case table is the
// card-surface requests' (Error/MyNumberInfoError.hpp).
#include "Error/MyNumberInfoError.hpp"

namespace ekyc {

EKYC_ERROR_ENUMERATION(CardPrintInfoAndMynaDriverLicenseError, EKYC_CARD_SURFACE_ERROR_CASES);

}  // namespace ekyc
