#pragma once
// The result of signing with the basic four items: the signature record and the items' record.
#include <optional>

#include "BasicPersonalInfo/BasicPersonalInfo.hpp"
#include "Sign/SignatureData.hpp"

namespace ekyc {

class SignatureDataAndBasicPersonalInfo {
 public:
  SignatureDataAndBasicPersonalInfo(std::optional<SignatureData> signatureData,
                                    std::optional<BasicPersonalInfo> basicPersonalInfo)
      : signatureData_(std::move(signatureData)), basicPersonalInfo_(std::move(basicPersonalInfo)) {}

  const std::optional<SignatureData>& signatureData() const { return signatureData_; }
  const std::optional<BasicPersonalInfo>& basicPersonalInfo() const { return basicPersonalInfo_; }
  const std::optional<SignatureData>& getSignatureData() const { return signatureData_; }
  const std::optional<BasicPersonalInfo>& getBasicPersonalInfo() const { return basicPersonalInfo_; }

 private:
  std::optional<SignatureData> signatureData_;
  std::optional<BasicPersonalInfo> basicPersonalInfo_;
};

}  // namespace ekyc
