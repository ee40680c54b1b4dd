#pragma once
// The failures the request for the card surface with the individual number delivers, with their result codes, in declaration order.
#include "Error/CardSurfaceErrorCases.hpp"

namespace ekyc {

EKYC_ERROR_ENUMERATION(CardPrintInfoAndMyNumberInfoError, EKYC_CARD_SURFACE_ERROR_CASES);

}  // namespace ekyc
