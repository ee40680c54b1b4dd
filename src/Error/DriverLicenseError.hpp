#pragma once
// The failures the IC driving-licence request delivers: the very cases of the card-surface
// requests (Error/MyNumberInfoError.hpp), in the same order with the same codes.
#include "Error/ErrorEnumeration.hpp"
#include "Error/MyNumberInfoError.hpp"

namespace ekyc {

EKYC_ERROR_ENUMERATION(DriverLicenseError, EKYC_CARD_SURFACE_ERROR_CASES);

}  // namespace ekyc
