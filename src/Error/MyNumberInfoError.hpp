#pragma once
// The failures the individual-number request delivers, with their result codes, in declaration order.
#include "Error/CardSurfaceErrorCases.hpp"

namespace ekyc {

EKYC_ERROR_ENUMERATION(MyNumberInfoError, EKYC_CARD_SURFACE_ERROR_CASES);

}  // namespace ekyc
