#pragma once
// The failures the card-surface request delivers, with their result codes, in declaration order.
// The case table is the individual-number request's.
#include "Error/MyNumberInfoError.hpp"

namespace ekyc {

EKYC_ERROR_ENUMERATION(CardPrintInfoError, EKYC_CARD_SURFACE_ERROR_CASES);

}  // namespace ekyc
