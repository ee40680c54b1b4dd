#pragma once
// The signature by the JPKI signature key, the four basic items of its certificate and the licence
// data, read in one tap. It has no dictionary or JSON form; the host reads its three records.
#include <optional>

#include "BasicPersonalInfo/BasicPersonalInfo.hpp"
#include "MynaDriverLicense/MynaDriverLicense.hpp"
#include "Sign/SignatureData.hpp"

namespace ekyc {

class SignatureDataAndBasicPersonalInfoAndMynaDriverLicense {
 public:
  std::optional<SignatureData> signatureData;
  std::optional<BasicPersonalInfo> basicPersonalInfo;
  std::optional<MynaDriverLicense> mynaDriverLicense;

  SignatureDataAndBasicPersonalInfoAndMynaDriverLicense(std::optional<SignatureData> signatureData,
                                                        std::optional<BasicPersonalInfo> basicPersonalInfo,
                                                        std::optional<MynaDriverLicense> mynaDriverLicense)
      : signatureData(std::move(signatureData)),
        basicPersonalInfo(std::move(basicPersonalInfo)),
        mynaDriverLicense(std::move(mynaDriverLicense)) {}

  const std::optional<SignatureData>& getSignatureData() const { return signatureData; }
  const std::optional<BasicPersonalInfo>& getBasicPersonalInfo() const { return basicPersonalInfo; }
  const std::optional<MynaDriverLicense>& getMynaDriverLicense() const { return mynaDriverLicense; }
};

}  // namespace ekyc
