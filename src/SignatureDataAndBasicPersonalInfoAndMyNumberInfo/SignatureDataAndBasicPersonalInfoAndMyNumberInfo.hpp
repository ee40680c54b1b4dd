#pragma once
// The result of signing with the basic items together with reading the individual number: the
// signature record, the four basic items of the signing certificate (also when their hash was not
// folded into the signed data) and the individual-number record. No dictionary or JSON form of its
// own; the host reads its parts.
#include <optional>

#include "BasicPersonalInfo/BasicPersonalInfo.hpp"
#include "MyNumber/MyNumberInfo.hpp"
#include "Sign/SignatureData.hpp"

namespace ekyc {

class SignatureDataAndBasicPersonalInfoAndMyNumberInfo {
 public:
  std::optional<SignatureData> signatureData;
  std::optional<BasicPersonalInfo> basicPersonalInfo;
  std::optional<MyNumberInfo> myNumberInfo;

  SignatureDataAndBasicPersonalInfoAndMyNumberInfo(std::optional<SignatureData> signatureData,
                                                   std::optional<BasicPersonalInfo> basicPersonalInfo,
                                                   std::optional<MyNumberInfo> myNumberInfo)
      : signatureData(std::move(signatureData)),
        basicPersonalInfo(std::move(basicPersonalInfo)),
        myNumberInfo(std::move(myNumberInfo)) {}

  const std::optional<SignatureData>& getSignatureData() const { return signatureData; }
  const std::optional<BasicPersonalInfo>& getBasicPersonalInfo() const { return basicPersonalInfo; }
  const std::optional<MyNumberInfo>& getMyNumberInfo() const { return myNumberInfo; }
};

}  // namespace ekyc
