#pragma once
// The failures the residence-card request delivers, with their result codes, in declaration order.
#include "Error/ErrorEnumeration.hpp"

namespace ekyc {

#define EKYC_RESIDENCE_CARD_ERROR_CASES(X)   \
  X(notNfcTagReadAvailable, 11001)           \
  X(notSetPin, 12002)                        \
  X(invalidPinLength, 12007)                 \
  X(invalidPinCharacter, 12008)              \
  X(inputPinDialogCanceled, 12101)           \
  X(cardConnectionLost, 13500)               \
  X(cardConnectionTimeout, 13600)            \
  X(cardConnectionUserCancel, 13700)         \
  X(failVerifyPin, 13800)                    \
  X(cardConnectionFailed, 13999)             \
  X(notSetAppId, 14001)                      \
  X(failHttpsCommunicationStatusCode, 15000) \
  X(failHttpsCommunicationTimeout, 16001)    \
  X(failHttpsCommunication, 16999)           \
  X(failVerifySignature, 18001)              \
  X(failVerifySignatureConstantValue, 18002) \
  X(unknown, 99999)
EKYC_ERROR_ENUMERATION(ResidenceCardError, EKYC_RESIDENCE_CARD_ERROR_CASES);

}  // namespace ekyc
