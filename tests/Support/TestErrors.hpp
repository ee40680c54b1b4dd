#pragma once
// Error enumerations for the framework's tests, declared the way the readers declare theirs.
#include "Error/ErrorEnumeration.hpp"
#include "Error/MyNumberInfoError.hpp"

namespace ekyc::test {

// A card-surface style reader (PIN counters, HTTPS, signature check): the readers' own table.
EKYC_ERROR_ENUMERATION(TestReaderError, EKYC_CARD_SURFACE_ERROR_CASES);

// The case table of a residence-card style reader: 6300 instead of the PIN counters.
#define EKYC_TEST_RESIDENCE_ERROR_CASES(X) \
  X(notNfcTagReadAvailable, 11001)         \
  X(notSetPin, 12002)                      \
  X(invalidPinLength, 12007)               \
  X(invalidPinCharacter, 12008)            \
  X(inputPinDialogCanceled, 12101)         \
  X(cardConnectionLost, 13500)             \
  X(cardConnectionTimeout, 13600)          \
  X(cardConnectionUserCancel, 13700)       \
  X(failVerifyPin, 13800)                  \
  X(cardConnectionFailed, 13999)           \
  X(notSetAppId, 14001)                    \
  X(failHttpsCommunicationStatusCode, 15000) \
  X(failHttpsCommunicationTimeout, 16001)  \
  X(failHttpsCommunication, 16999)         \
  X(failVerifySignature, 18001)            \
  X(failVerifySignatureConstantValue, 18002) \
  X(unknown, 99999)
EKYC_ERROR_ENUMERATION(TestResidenceError, EKYC_TEST_RESIDENCE_ERROR_CASES);

// A signing-style table with the basic-items case.
#define EKYC_TEST_SIGNING_ERROR_CASES(X) \
  X(notNfcTagReadAvailable, 11001)       \
  X(notSetPin, 12002)                    \
  X(invalidPinLength, 12007)             \
  X(invalidPinCharacter, 12008)          \
  X(notSetServiceId, 12012)              \
  X(failReadBasicPersonalInfo, 17000)    \
  X(cardConnectionFailed, 13999)         \
  X(unknown, 99999)
EKYC_ERROR_ENUMERATION(TestSigningError, EKYC_TEST_SIGNING_ERROR_CASES);

}  // namespace ekyc::test
