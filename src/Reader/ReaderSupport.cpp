#include "Reader/ReaderSupport.hpp"

#include "Platform/HostCall.hpp"
#include "Utility/Const.hpp"
#include "Utility/ConstResult.hpp"

namespace ekyc {

std::optional<ReaderSupport::StatusWordFailure> ReaderSupport::classifyStatusWord(std::uint8_t sw1, std::uint8_t sw2,
                                                                                  bool pinCounters,
                                                                                  bool pinMismatch6300) {
  if (sw1 == 0x90) return std::nullopt;
  StatusWordFailure failure;
  failure.code = CODE_CONNECTION_FAILED;
  if (pinCounters && sw1 == 0x63 && (sw2 & 0xF0) == 0xC0) {
    const int remaining = sw2 & 0x0F;
    failure.refusedPin = true;
    failure.pinRemainNum = remaining;
    failure.labelled = true;
    if (remaining == 0) {
      failure.code = CODE_VERIFY_LOCK_NOW;
    } else {
      failure.code = CODE_VERIFY_RETRY;
      failure.retryCount = remaining;
    }
  } else if (pinCounters && sw1 == 0x69 && sw2 == 0x84) {
    failure.code = CODE_VERIFY_LOCKED;
    failure.refusedPin = true;
    failure.pinRemainNum = 0;
    failure.labelled = true;
  } else if (pinMismatch6300 && sw1 == 0x63 && sw2 == 0x00) {
    failure.code = CODE_VERIFY_PIN_MISMATCH;
    failure.refusedPin = true;
    failure.labelled = true;
  }
  return failure;
}

std::int64_t ReaderSupport::sessionEndCode(const NFCError& error) {
  if (!error.isReaderError) return CODE_UNKNOWN;
  switch (error.code) {
    case static_cast<int>(NFCReaderErrorCode::readerSessionInvalidationErrorUserCanceled):
      return CODE_CONNECTION_USER_CANCEL;
    case static_cast<int>(NFCReaderErrorCode::readerSessionInvalidationErrorSessionTimeout):
      return CODE_CONNECTION_TIMEOUT;
    default:
      return CODE_CONNECTION_LOST;
  }
}

std::int64_t ReaderSupport::verificationCode(std::optional<int> httpStatusCode,
                                             const std::optional<nlohmann::json>& responseBody, bool timedOut) {
  if (!httpStatusCode) return timedOut ? CODE_HTTPS_TIMEOUT : CODE_HTTPS_FAILED;
  if (*httpStatusCode != 200) return CODE_HTTPS_STATUS;
  if (!responseBody || !responseBody->is_object()) return CODE_VERIFY_SIGNATURE;
  const auto valid = responseBody->find(Const().JSON_RESPONSE_VALID);
  if (valid == responseBody->end() || !valid->is_boolean()) return CODE_VERIFY_SIGNATURE;
  return valid->get<bool>() ? 0 : CODE_VERIFY_SIGNATURE;
}

void ReaderSupport::didGetPin(const std::weak_ptr<IdentifyDelegate>& idetifyDelegate, const std::string& pin) {
  if (const auto delegate = idetifyDelegate.lock()) {
    callHost("the back channel (IdentifyDelegate)", [&] { delegate->didGetPin(pin); });
  }
}

void ReaderSupport::didGetFailedPin(const std::weak_ptr<IdentifyDelegate>& idetifyDelegate, SetPinKey setPinKey,
                                    std::optional<int> pinRemainNum) {
  if (const auto delegate = idetifyDelegate.lock()) {
    callHost("the back channel (IdentifyDelegate)", [&] { delegate->didGetFailedPin(setPinKey, pinRemainNum); });
  }
}

ErrorDetail ReaderSupport::missingBasicItems(std::int64_t mask) {
  const ConstResult texts;
  ErrorDetail detail;
  for (int bit = 1; bit <= 32; bit <<= 1) {
    if ((mask & bit) == 0) continue;
    if (!detail.suffix.empty()) detail.suffix += "、";
    detail.suffix += texts.constResult.at(17000 + bit);
  }
  detail.intErrFlag = mask;
  return detail;
}

}  // namespace ekyc
