#pragma once
// The host's result delegate of signing with the basic four items.
#include "Error/Result.hpp"
#include "Error/SignatureDataAndBasicPersonalInfoError.hpp"
#include "SignatureDataAndBasicPersonalInfo/SignatureDataAndBasicPersonalInfo.hpp"

namespace ekyc {

class SignatureDataAndBasicPersonalInfoGeneratorDelegate {
 public:
  virtual ~SignatureDataAndBasicPersonalInfoGeneratorDelegate() = default;
  virtual void didSignAndGetBasicPersonalInfo(
      const Result<SignatureDataAndBasicPersonalInfo, SignatureDataAndBasicPersonalInfoError>& result) = 0;
};

}  // namespace ekyc
