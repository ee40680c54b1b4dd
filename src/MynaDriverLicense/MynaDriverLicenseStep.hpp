#pragma once
// The licence step every reader of the licence data runs on a connected card, written once: the
// seven commands (SELECT the licence-data application A0 00 00 02 31 06 + ten 00, SELECT the PIN
// file EF 0006, VERIFY, SELECT EF 001B, READ BINARY 5845, SELECT EF 001C, READ BINARY 584), the two
// files kept, the record, and the verification request "43".
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "Extension/Bytes.hpp"
#include "MynaDriverLicense/MynaDriverLicense.hpp"
#include "Pin/SetPinKey.hpp"
#include "Platform/NFCISO7816APDU.hpp"
#include "Reader/VerificationPost.hpp"
#include "Utility/Const.hpp"

namespace ekyc {

class MynaDriverLicenseStep {
 public:
  // One command and what to keep of its answer once its status passed.
  struct Command {
    std::function<NFCISO7816APDU()> command;
    std::function<void(const Bytes&)> keep;
  };

  // The seven commands; the VERIFY carries the PIN's UTF-8 bytes as `pin` holds them when it is sent.
  std::vector<Command> commands(const std::optional<std::string>& pin);

  // The seven commands as a reader frame's chain steps, each status check naming the licence-data
  // PIN's slot and putting `label` in front of the PIN messages.
  template <class Step>
  std::vector<Step> steps(const std::optional<std::string>& pin, const std::string& label) {
    using Result = typename decltype(Step::keep)::result_type;
    std::vector<Step> out;
    for (auto& c : commands(pin)) {
      decltype(Step::keep) keep;
      if (c.keep) {
        keep = [kept = std::move(c.keep)](const Bytes& data) -> Result {
          kept(data);
          if constexpr (std::is_same_v<Result, bool>) {
            return true;
          } else {
            return std::nullopt;
          }
        };
      }
      out.push_back(Step{std::move(c.command), SetPinKey::MYNA_DRIVERLICENSE_PIN, label, std::move(keep)});
    }
    return out;
  }

  // The record of the two files read.
  MynaDriverLicense record() const { return MynaDriverLicense(entries_, signature_); }

  // The verification request "43" of the record: absent when the server confirmed it; 18001 before
  // any traffic when the hash, the signature or the verifying parameters is missing.
  template <class E>
  static std::optional<E> verify(const MynaDriverLicense& record, const VerificationPost& exchange) {
    const auto hash = record.getHashData();
    const auto signature = record.getSignature();
    const auto params = record.getVerifyingParams();
    if (!hash || !signature || !params) return E::failVerifySignature();
    return exchange.post<E>(Const().REQ_TYPE_MYNA_DRIVER_LICENSE, *hash, *signature, *params);
  }

  // The end of a read: the success text ends the session, then (with an application id) the record
  // is verified, then the outcome goes to `deliver` (the record, or the verification's failure,
  // after which `endWithError` asks the ended session to end again).
  template <class E, class Deliver>
  static void finish(const MynaDriverLicense& record, const VerificationPost& exchange,
                     const std::function<void()>& endWithSuccess, const std::function<void()>& endWithError,
                     const std::function<void(const E&)>& deliverFailure, Deliver&& deliverSuccess) {
    endWithSuccess();
    if (!exchange.appId.empty()) {
      std::clog << "Send Request" << std::endl;
      if (const auto failure = verify<E>(record, exchange)) {
        deliverFailure(*failure);
        endWithError();
        return;
      }
    }
    deliverSuccess();
  }

 private:
  std::optional<Bytes> entries_;
  std::optional<Bytes> signature_;
};

}  // namespace ekyc
