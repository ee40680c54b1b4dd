#pragma once
// The failures of signing with the basic four items together with the licence data: the very same
// cases, in the same order, as the other sign-and-read enumerations, so it instantiates their table.
#include "Error/ErrorEnumeration.hpp"
#include "Error/SignatureDataAndBasicPersonalInfoAndMyNumberInfoError.hpp"

namespace ekyc {

EKYC_ERROR_ENUMERATION(SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseError, EKYC_SIGN_AND_READ_ERROR_CASES);

}  // namespace ekyc
