#pragma once
// The failures the input-support request delivers, with their result codes, in declaration order.
// notSetTbsData, failBase64Decode and failVerifyPin are declared for the public interface and never
// raised; the first two carry the codes whose texts name them, failVerifyPin carries -1 so that its
// presence does not turn the status word 6300 into a PIN mismatch.
#include "Error/ErrorEnumeration.hpp"

namespace ekyc {

#define EKYC_PROMPTED_PII_ERROR_CASES(X) \
  X(notNfcTagReadAvailable, 11001)           \
  X(notSetPin, 12002)                        \
  X(notSetTbsData, 12003)                    \
  X(failBase64Decode, 12006)                 \
  X(invalidPinLength, 12007)                 \
  X(invalidPinCharacter, 12008)              \
  X(inputPinDialogCanceled, 12101)           \
  X(failVerifyLockNow, 13200)                \
  X(failVerifyRetry, 13300)                  \
  X(failVerifyLocked, 13400)                 \
  X(cardConnectionLost, 13500)               \
  X(cardConnectionTimeout, 13600)            \
  X(cardConnectionUserCancel, 13700)         \
  X(failVerifyPin, -1)                       \
  X(cardConnectionFailed, 13999)             \
  X(notSetAppId, 14001)                      \
  X(failHttpsCommunicationStatusCode, 15000) \
  X(failHttpsCommunicationTimeout, 16001)    \
  X(failHttpsCommunication, 16999)           \
  X(failVerifySignature, 18001)              \
  X(unknown, 99999)
EKYC_ERROR_ENUMERATION(PromptedPiiError, EKYC_PROMPTED_PII_ERROR_CASES);

}  // namespace ekyc
