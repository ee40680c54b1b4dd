#pragma once
// The host's result delegate of user-authentication signing.
#include "Error/Result.hpp"
#include "Error/SignatureDataError.hpp"
#include "Sign/SignatureData.hpp"

namespace ekyc {

class AuthSignatureDataGeneratorDelegate {
 public:
  virtual ~AuthSignatureDataGeneratorDelegate() = default;
  virtual void didAuth(const Result<SignatureData, SignatureDataError>& result) = 0;
};

}  // namespace ekyc
