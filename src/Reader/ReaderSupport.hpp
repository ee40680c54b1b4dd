#pragma once
// What every reader and generator shares, so that none restates it: the status-word check with its
// refused-PIN report, the PIN-rule and dialog-cancel failures, the end-of-session mapping and the
// verdict of a verification exchange. Each function is generic over the reader's error
// enumeration E (Error/ErrorEnumeration.hpp) and builds E's case from the result code.
//
// Back-channel reports (didGetFailedPin) are made here, before the failure is returned; the reader
// then delivers the returned failure to its host's delegate and ends its session.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "CoreNFC/IdentifyDelegate.hpp"
#include "Error/ErrorValue.hpp"
#include "Http/HttpResponse.hpp"
#include "Pin/SetPinKey.hpp"
#include "Platform/NFCReaderError.hpp"

namespace ekyc {

class ReaderSupport {
 public:
  // Result codes the shared mappings raise.
  static constexpr std::int64_t CODE_NOT_SET_PIN = 12002;
  static constexpr std::int64_t CODE_INVALID_PIN_LENGTH = 12007;
  static constexpr std::int64_t CODE_INVALID_PIN_CHARACTER = 12008;
  static constexpr std::int64_t CODE_INPUT_PIN_DIALOG_CANCELED = 12101;
  static constexpr std::int64_t CODE_VERIFY_LOCK_NOW = 13200;
  static constexpr std::int64_t CODE_VERIFY_RETRY = 13300;
  static constexpr std::int64_t CODE_VERIFY_LOCKED = 13400;
  static constexpr std::int64_t CODE_CONNECTION_LOST = 13500;
  static constexpr std::int64_t CODE_CONNECTION_TIMEOUT = 13600;
  static constexpr std::int64_t CODE_CONNECTION_USER_CANCEL = 13700;
  static constexpr std::int64_t CODE_VERIFY_PIN_MISMATCH = 13800;
  static constexpr std::int64_t CODE_CONNECTION_FAILED = 13999;
  static constexpr std::int64_t CODE_HTTPS_STATUS = 15000;
  static constexpr std::int64_t CODE_HTTPS_TIMEOUT = 16001;
  static constexpr std::int64_t CODE_HTTPS_FAILED = 16999;
  static constexpr std::int64_t CODE_VERIFY_SIGNATURE = 18001;
  static constexpr std::int64_t CODE_UNKNOWN = 99999;

  // ---- Status word ---------------------------------------------------------------------------

  // How a refused status word is reported.
  struct StatusWordFailure {
    std::int64_t code = 0;                     // 13200, 13300, 13400, 13800 or 13999
    bool refusedPin = false;                   // reported through didGetFailedPin
    std::optional<int> pinRemainNum{};         // the count reported with it
    std::optional<std::int64_t> retryCount{};  // 13300: the tries left
    bool labelled = false;                     // the reader's message label goes in front
  };

  // The rule: SW1 0x90 passes (absent result). With `pinCounters`: 63C0 is 13200 (count 0), 63Cn
  // is 13300 with n = the low four bits of SW2 (count n), 6984 is 13400 (count 0). With
  // `pinMismatch6300`: 6300 is 13800 (reported without a count). Anything else is 13999, not
  // reported.
  static std::optional<StatusWordFailure> classifyStatusWord(std::uint8_t sw1, std::uint8_t sw2, bool pinCounters,
                                                             bool pinMismatch6300);

  // The reader's status check: absent when the answer passes; otherwise reports a refused PIN
  // (slot `setPinKey`) to the back channel and returns the failure to deliver. The PIN counters
  // apply when E has the case 13300, the 6300 rule when E has 13800. `label` (with one blank) goes
  // in front of the PIN messages (13200, 13300, 13400, 13800), never in front of 13999.
  template <class E>
  static std::optional<E> checkStatusWord(std::uint8_t sw1, std::uint8_t sw2, SetPinKey setPinKey,
                                          const std::weak_ptr<IdentifyDelegate>& idetifyDelegate,
                                          const std::string& label = {});

  // ---- PIN rule and PIN dialog ---------------------------------------------------------------

  // The failure for a result of Utility.validatePin: absent for 0; 12002, 12007 and 12008 report
  // the slot without a count and give their case, with `label` (and one blank) in front of the
  // text; any other value gives 99999 without a report and without the label.
  template <class E>
  static std::optional<E> pinRuleFailure(int validatePinResult, SetPinKey setPinKey,
                                         const std::weak_ptr<IdentifyDelegate>& idetifyDelegate,
                                         const std::string& label = {});

  // A cancelled PIN dialog: reports the slot without a count and gives 12101.
  template <class E>
  static E pinDialogCanceled(SetPinKey setPinKey, const std::weak_ptr<IdentifyDelegate>& idetifyDelegate,
                             const std::string& label = {});

  // ---- End of session ------------------------------------------------------------------------

  // Reader error 200 gives 13700, 201 gives 13600, any other reader error 13500; an error that is
  // not a reader error gives 99999.
  static std::int64_t sessionEndCode(const NFCError& error);

  template <class E>
  static E sessionEndFailure(const NFCError& error);

  // ---- Verification exchange -----------------------------------------------------------------

  // The verdict code of a verification exchange: 0 when the server answered 200 with "valid"
  // true; 18001 for 200 with "valid" false, and also for a 200 whose body is not one JSON object
  // (HttpResponse: trailing bytes, a NUL or a member named twice make it unreadable) or whose
  // "valid" is missing or not a Boolean (a verdict that cannot be read is a failed check);
  // 15000 for any other status; without an HTTP answer 16001 after a time-out, else 16999.
  static std::int64_t verificationCode(std::optional<int> httpStatusCode,
                                       const std::optional<nlohmann::json>& responseBody, bool timedOut);

  // The failure to deliver for a verification exchange; absent when the data is valid. 15000
  // carries `httpStatus` and the status digits after its text. `label` (with one blank) goes in
  // front of 18001 only.
  template <class E>
  static std::optional<E> verificationFailure(std::optional<int> httpStatusCode,
                                              const std::optional<nlohmann::json>& responseBody, bool timedOut,
                                              const std::string& label = {});

  // The same for the answer of HTTPClient::post.
  template <class E>
  static std::optional<E> verificationFailure(const HttpResponse& response, bool timedOut,
                                              const std::string& label = {}) {
    return verificationFailure<E>(response.getHttpStatusCode(), response.getResponseBodyForMyNumberVerification(),
                                  timedOut, label);
  }

  // ---- Basic items of the signing certificate ------------------------------------------------

  // The 17000 detail for the missing items of `mask` (bits 1 name, 2 gender, 4 date of birth,
  // 8 address, 16 and 32 the substitute-character positions): their labels in that order, "、"
  // only between two of them, and the mask as intErrFlag.
  static ErrorDetail missingBasicItems(std::int64_t mask);

  // ---- Back channel --------------------------------------------------------------------------

  // didGetPin on the back channel, skipped when it has expired.
  static void didGetPin(const std::weak_ptr<IdentifyDelegate>& idetifyDelegate, const std::string& pin);
  // didGetFailedPin on the back channel, skipped when it has expired.
  static void didGetFailedPin(const std::weak_ptr<IdentifyDelegate>& idetifyDelegate, SetPinKey setPinKey,
                              std::optional<int> pinRemainNum);

 private:
  // E's case for a code; 99999 when E has no case with that code.
  template <class E>
  static E byCode(std::int64_t code, const ErrorDetail& detail) {
    if (auto value = E::fromCode(code, detail)) return *value;
    return *E::fromCode(CODE_UNKNOWN, detail);
  }
};

template <class E>
std::optional<E> ReaderSupport::checkStatusWord(std::uint8_t sw1, std::uint8_t sw2, SetPinKey setPinKey,
                                                const std::weak_ptr<IdentifyDelegate>& idetifyDelegate,
                                                const std::string& label) {
  static_assert(E::hasCode(CODE_CONNECTION_FAILED) && E::hasCode(CODE_UNKNOWN),
                "a reader's error enumeration needs cardConnectionFailed and unknown");
  const auto failure = classifyStatusWord(sw1, sw2, E::hasCode(CODE_VERIFY_RETRY), E::hasCode(CODE_VERIFY_PIN_MISMATCH));
  if (!failure) return std::nullopt;
  if (failure->refusedPin) didGetFailedPin(idetifyDelegate, setPinKey, failure->pinRemainNum);
  ErrorDetail detail;
  if (failure->labelled) detail.label = label;
  detail.retryCount = failure->retryCount;
  return byCode<E>(failure->code, detail);
}

template <class E>
std::optional<E> ReaderSupport::pinRuleFailure(int validatePinResult, SetPinKey setPinKey,
                                               const std::weak_ptr<IdentifyDelegate>& idetifyDelegate,
                                               const std::string& label) {
  static_assert(E::hasCode(CODE_NOT_SET_PIN) && E::hasCode(CODE_INVALID_PIN_LENGTH) &&
                    E::hasCode(CODE_INVALID_PIN_CHARACTER) && E::hasCode(CODE_UNKNOWN),
                "a PIN-taking reader's error enumeration needs the PIN-rule cases and unknown");
  if (validatePinResult == 0) return std::nullopt;
  switch (validatePinResult) {
    case CODE_NOT_SET_PIN:
    case CODE_INVALID_PIN_LENGTH:
    case CODE_INVALID_PIN_CHARACTER: {
      didGetFailedPin(idetifyDelegate, setPinKey, std::nullopt);
      ErrorDetail detail;
      detail.label = label;
      return byCode<E>(validatePinResult, detail);
    }
    default:
      // Not a refusal of the PIN: the unexpected failure, with its text alone.
      return byCode<E>(CODE_UNKNOWN, {});
  }
}

template <class E>
E ReaderSupport::pinDialogCanceled(SetPinKey setPinKey, const std::weak_ptr<IdentifyDelegate>& idetifyDelegate,
                                   const std::string& label) {
  static_assert(E::hasCode(CODE_INPUT_PIN_DIALOG_CANCELED), "the error enumeration needs inputPinDialogCanceled");
  didGetFailedPin(idetifyDelegate, setPinKey, std::nullopt);
  ErrorDetail detail;
  detail.label = label;
  return byCode<E>(CODE_INPUT_PIN_DIALOG_CANCELED, detail);
}

template <class E>
E ReaderSupport::sessionEndFailure(const NFCError& error) {
  static_assert(E::hasCode(CODE_CONNECTION_LOST) && E::hasCode(CODE_CONNECTION_TIMEOUT) &&
                    E::hasCode(CODE_CONNECTION_USER_CANCEL) && E::hasCode(CODE_UNKNOWN),
                "a reader's error enumeration needs the session-end cases");
  return byCode<E>(sessionEndCode(error), {});
}

template <class E>
std::optional<E> ReaderSupport::verificationFailure(std::optional<int> httpStatusCode,
                                                    const std::optional<nlohmann::json>& responseBody, bool timedOut,
                                                    const std::string& label) {
  static_assert(E::hasCode(CODE_HTTPS_STATUS) && E::hasCode(CODE_HTTPS_TIMEOUT) && E::hasCode(CODE_HTTPS_FAILED) &&
                    E::hasCode(CODE_VERIFY_SIGNATURE),
                "a verifying reader's error enumeration needs the HTTPS and signature cases");
  const auto code = verificationCode(httpStatusCode, responseBody, timedOut);
  if (code == 0) return std::nullopt;
  ErrorDetail detail;
  if (code == CODE_HTTPS_STATUS) detail.httpStatus = httpStatusCode;
  if (code == CODE_VERIFY_SIGNATURE) detail.label = label;
  return byCode<E>(code, detail);
}

}  // namespace ekyc
