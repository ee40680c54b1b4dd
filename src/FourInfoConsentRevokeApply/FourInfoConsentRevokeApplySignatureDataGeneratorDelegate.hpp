#pragma once
// The host's result delegate of consent-revoke document signing.
#include "Error/Result.hpp"
#include "Error/SignatureDataError.hpp"
#include "Sign/SignatureData.hpp"

namespace ekyc {

class FourInfoConsentRevokeApplySignatureDataGeneratorDelegate {
 public:
  virtual ~FourInfoConsentRevokeApplySignatureDataGeneratorDelegate() = default;
  virtual void didSignFourInfoConsentRevokeApply(const Result<SignatureData, SignatureDataError>& result) = 0;
};

}  // namespace ekyc
