#pragma once
// The result of signing with the basic items together with reading the input-support data: the
// signature record, the four basic items of the signing certificate (also when their hash was not
// folded into the signed data) and the four input-support files. No dictionary or JSON form of its
// own; the host reads its parts.
#include <optional>

#include "BasicPersonalInfo/BasicPersonalInfo.hpp"
#include "PromptedPii/PromptedPii.hpp"
#include "Sign/SignatureData.hpp"

namespace ekyc {

class SignatureDataAndBasicPersonalInfoAndPromptedPii {
 public:
  std::optional<SignatureData> signatureData;
  std::optional<BasicPersonalInfo> basicPersonalInfo;
  std::optional<PromptedPii> promptedPii;

  SignatureDataAndBasicPersonalInfoAndPromptedPii(std::optional<SignatureData> signatureData,
                                                  std::optional<BasicPersonalInfo> basicPersonalInfo,
                                                  std::optional<PromptedPii> promptedPii)
      : signatureData(std::move(signatureData)),
        basicPersonalInfo(std::move(basicPersonalInfo)),
        promptedPii(std::move(promptedPii)) {}

  const std::optional<SignatureData>& getSignatureData() const { return signatureData; }
  const std::optional<BasicPersonalInfo>& getBasicPersonalInfo() const { return basicPersonalInfo; }
  const std::optional<PromptedPii>& getPromptedPii() const { return promptedPii; }
};

}  // namespace ekyc
