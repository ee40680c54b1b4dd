#pragma once
// The result of signing together with reading the individual number: the signature record and the
// individual-number record. It has no dictionary or JSON form of its own; the host reads its parts.
#include <optional>

#include "MyNumber/MyNumberInfo.hpp"
#include "Sign/SignatureData.hpp"

namespace ekyc {

class SignatureDataAndMyNumberInfo {
 public:
  std::optional<SignatureData> signatureData;
  std::optional<MyNumberInfo> myNumberInfo;

  SignatureDataAndMyNumberInfo(std::optional<SignatureData> signatureData, std::optional<MyNumberInfo> myNumberInfo)
      : signatureData(std::move(signatureData)), myNumberInfo(std::move(myNumberInfo)) {}

  const std::optional<SignatureData>& getSignatureData() const { return signatureData; }
  const std::optional<MyNumberInfo>& getMyNumberInfo() const { return myNumberInfo; }
};

}  // namespace ekyc
