#pragma once
// The failures of signing together with reading the individual number, with their result codes,
// in declaration order. failVerifySignature carries the data-set label "個人番号情報" in front of its
// text; the PIN failures carry the label of the PIN concerned.
#include "Error/ErrorEnumeration.hpp"

namespace ekyc {

#define EKYC_SIGNATURE_DATA_AND_MY_NUMBER_INFO_ERROR_CASES(X) \
  X(notNfcTagReadAvailable, 11001)                            \
  X(notSetPin, 12002)                                         \
  X(notSetTbsData, 12003)                                     \
  X(notSupportedHashAlgorithm, 12005)                         \
  X(failBase64Decode, 12006)                                  \
  X(invalidPinLength, 12007)                                  \
  X(invalidPinCharacter, 12008)                               \
  X(inputPinDialogCanceled, 12101)                            \
  X(failVerifyLockNow, 13200)                                 \
  X(failVerifyRetry, 13300)                                   \
  X(failVerifyLocked, 13400)                                  \
  X(cardConnectionLost, 13500)                                \
  X(cardConnectionTimeout, 13600)                             \
  X(cardConnectionUserCancel, 13700)                          \
  X(cardConnectionFailed, 13999)                              \
  X(notSetAppId, 14001)                                       \
  X(failHttpsCommunicationStatusCode, 15000)                  \
  X(failHttpsCommunicationTimeout, 16001)                     \
  X(failHttpsCommunication, 16999)                            \
  X(failVerifySignature, 18001)                               \
  X(unknown, 99999)
EKYC_ERROR_ENUMERATION(SignatureDataAndMyNumberInfoError, EKYC_SIGNATURE_DATA_AND_MY_NUMBER_INFO_ERROR_CASES);

}  // namespace ekyc
