#include "Error/ErrorValue.hpp"

#include "Utility/ConstResult.hpp"

namespace ekyc {

namespace {

constexpr std::int64_t CODE_RETRY = 13300;
constexpr std::int64_t CODE_RETRY_TAIL = 13301;
constexpr std::int64_t CODE_HTTP_STATUS = 15000;

}  // namespace

std::string ErrorValue::composeText(std::int64_t code, const ErrorDetail& detail) {
  const ConstResult constResult;
  std::string text;
  if (code == CODE_RETRY) {
    text = constResult.text(static_cast<int>(CODE_RETRY)) + std::to_string(detail.retryCount.value_or(0)) +
           constResult.text(static_cast<int>(CODE_RETRY_TAIL));
  } else {
    text = constResult.text(static_cast<int>(code));
    if (code == CODE_HTTP_STATUS && detail.httpStatus) text += std::to_string(*detail.httpStatus);
  }
  text += detail.suffix;
  if (!detail.label.empty()) text = detail.label + " " + text;
  return text;
}

ErrorValue::ErrorValue(std::size_t caseIndex, std::int64_t code, const ErrorDetail& detail)
    : errorCode(code),
      localizedDescription(composeText(code, detail)),
      retryCount(detail.retryCount),
      httpStatus(detail.httpStatus),
      intErrFlag(detail.intErrFlag),
      caseIndex_(caseIndex) {
  if (code == CODE_RETRY && !retryCount) retryCount = 0;
}

bool ErrorValue::sameValue(const ErrorValue& other) const {
  return caseIndex_ == other.caseIndex_ && errorCode == other.errorCode &&
         localizedDescription == other.localizedDescription && retryCount == other.retryCount &&
         httpStatus == other.httpStatus && intErrFlag == other.intErrFlag;
}

}  // namespace ekyc
