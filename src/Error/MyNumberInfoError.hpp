#pragma once
// The failures the individual-number request delivers, with their result codes, in declaration order.
// The card-surface request (CardPrintInfoError) and the combined one
// (CardPrintInfoAndMyNumberInfoError) have the very same cases: they instantiate this table too and
// stay classes of their own.
#include "Error/ErrorEnumeration.hpp"

namespace ekyc {

#define EKYC_CARD_SURFACE_ERROR_CASES(X) \
  X(notNfcTagReadAvailable, 11001)           \
  X(notSetPin, 12002)                        \
  X(invalidPinLength, 12007)                 \
  X(invalidPinCharacter, 12008)              \
  X(inputPinDialogCanceled, 12101)           \
  X(failVerifyLockNow, 13200)                \
  X(failVerifyRetry, 13300)                  \
  X(failVerifyLocked, 13400)                 \
  X(cardConnectionLost, 13500)               \
  X(cardConnectionTimeout, 13600)            \
  X(cardConnectionUserCancel, 13700)         \
  X(cardConnectionFailed, 13999)             \
  X(notSetAppId, 14001)                      \
  X(failHttpsCommunicationStatusCode, 15000) \
  X(failHttpsCommunicationTimeout, 16001)    \
  X(failHttpsCommunication, 16999)           \
  X(failVerifySignature, 18001)              \
  X(unknown, 99999)
EKYC_ERROR_ENUMERATION(MyNumberInfoError, EKYC_CARD_SURFACE_ERROR_CASES);

}  // namespace ekyc
