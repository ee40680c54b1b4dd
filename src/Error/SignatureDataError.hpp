#pragma once
// The failures of the JPKI signing generators (user authentication, consent documents).
#include "Error/ErrorEnumeration.hpp"

namespace ekyc {

#define EKYC_SIGNATURE_DATA_ERROR_CASES(X) \
  X(notNfcTagReadAvailable, 11001)         \
  X(notSetPin, 12002)                      \
  X(notSetTbsData, 12003)                  \
  X(notSupportedHashAlgorithm, 12005)      \
  X(failBase64Decode, 12006)               \
  X(invalidPinLength, 12007)               \
  X(invalidPinCharacter, 12008)            \
  X(notSetServiceId, 12012)                \
  X(notSetServiceProviderId, 12013)        \
  X(inputPinDialogCanceled, 12101)         \
  X(failVerifyLockNow, 13200)              \
  X(failVerifyRetry, 13300)                \
  X(failVerifyLocked, 13400)               \
  X(cardConnectionLost, 13500)             \
  X(cardConnectionTimeout, 13600)          \
  X(cardConnectionUserCancel, 13700)       \
  X(cardConnectionFailed, 13999)           \
  X(unknown, 99999)
EKYC_ERROR_ENUMERATION(SignatureDataError, EKYC_SIGNATURE_DATA_ERROR_CASES);

}  // namespace ekyc
