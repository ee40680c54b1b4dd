#pragma once
// The value every error enumeration carries: its case, the result code, the message text and the
// optional payloads. The enumerations themselves are declared with EKYC_ERROR_ENUMERATION
// (Error/ErrorEnumeration.hpp); this class holds what they share.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace ekyc {

// What a raise site may add to a code's text and payloads.
//  - label: when not empty, the message is the label, one blank, then the code's text.
//  - suffix: appended to the code's text (the missing items after 17000's text).
//  - retryCount: the tries left; with code 13300 the text becomes 13300's text, the count in
//    decimal digits, then 13301's text.
//  - httpStatus: with code 15000 the status digits are appended to the text.
//  - intErrFlag: the mask of missing basic items (17000).
struct ErrorDetail {
  std::string label{};
  std::string suffix{};
  std::optional<std::int64_t> retryCount{};
  std::optional<std::int64_t> httpStatus{};
  std::optional<std::int64_t> intErrFlag{};
};

class ErrorValue {
 public:
  // The result code (a key of ConstResult).
  std::int64_t errorCode = 0;
  // The message: ConstResult's text of the code, composed as ErrorDetail says.
  std::string localizedDescription;
  // Tries left (failVerifyRetry).
  std::optional<std::int64_t> retryCount;
  // HTTP status of the answer (failHttpsCommunicationStatusCode).
  std::optional<std::int64_t> httpStatus;
  // Mask of the missing basic items (failReadBasicPersonalInfo).
  std::optional<std::int64_t> intErrFlag;

  // The message text of a code with the composition rules above, read from a fresh ConstResult.
  static std::string composeText(std::int64_t code, const ErrorDetail& detail);

 protected:
  ErrorValue(std::size_t caseIndex, std::int64_t code, const ErrorDetail& detail);

  bool sameValue(const ErrorValue& other) const;

  std::size_t caseIndex_ = 0;
};

}  // namespace ekyc
