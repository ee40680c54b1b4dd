#pragma once
// The failures the request for the card surface with the individual number delivers, with their result codes, in declaration order.
// The case table is the individual-number request's.
#include "Error/MyNumberInfoError.hpp"

namespace ekyc {

EKYC_ERROR_ENUMERATION(CardPrintInfoAndMyNumberInfoError, EKYC_CARD_SURFACE_ERROR_CASES);

}  // namespace ekyc
