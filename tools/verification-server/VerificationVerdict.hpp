#pragma once
// What a verifier decides about one request; the stand-in answers it as
// {"valid": ..., "reqTime": ..., "errorCode": ..., "errorDetail": ..., "checkedId": ...}
// (the texts only when not empty).
#include <string>
#include <utility>

namespace ekyc {

struct VerificationVerdict {
  bool valid = false;
  std::string errorCode;
  std::string errorDetail;
  std::string checkedId;

  static VerificationVerdict passed(std::string checkedId = {}) {
    return VerificationVerdict{true, {}, {}, std::move(checkedId)};
  }
  static VerificationVerdict failed(std::string errorCode, std::string errorDetail) {
    return VerificationVerdict{false, std::move(errorCode), std::move(errorDetail), {}};
  }
};

}  // namespace ekyc
