#pragma once
// The failures of signing with the basic items together with reading the input-support data: the
// cases of the sign-and-read table (Error/SignatureDataAndBasicPersonalInfoAndMyNumberInfoError.hpp).
// failVerifySignature carries the data-set label "券面事項入力補助情報".
#include "Error/SignatureDataAndBasicPersonalInfoAndMyNumberInfoError.hpp"

namespace ekyc {

EKYC_ERROR_ENUMERATION(SignatureDataAndBasicPersonalInfoAndPromptedPiiError, EKYC_SIGN_AND_READ_ERROR_CASES);

}  // namespace ekyc
