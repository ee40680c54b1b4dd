#pragma once
// One verification request of a reader, written once: the body (flags "0", card type "mynumber"
// unless given, the application id as tenant code), the HTTPS post to the platform's endpoint
// (Const.SIGNATURE_VERIFICATION_URL when the platform names none) and the verdict.
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "Http/HTTPClient.hpp"
#include "Platform/Platform.hpp"
#include "Reader/ReaderSupport.hpp"
#include "Utility/Const.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

struct VerificationPost {
  std::shared_ptr<const Platform> platform;
  std::optional<double> httpConnectionTimeOut;
  std::string appId;

  // Absent when the server answered "valid" true (with the console line "verify Response OK");
  // otherwise the failure to deliver (18001 carries `label`).
  template <class E>
  std::optional<E> post(const std::string& reqType, const std::string& expectedHash, const std::string& signature,
                        const std::string& verifyingParams, const std::string& label = {},
                        const std::string& cardType = Const().CARD_TYPE_MYNUMBER) const {
    const Const c;
    const auto body =
        Utility().createRequestBody(expectedHash, signature, verifyingParams, "0", cardType, reqType, appId);
    const std::string url =
        platform && !platform->verificationUrl.empty() ? platform->verificationUrl : c.SIGNATURE_VERIFICATION_URL;
    const HTTPClient client = platform ? HTTPClient(httpConnectionTimeOut, *platform) : HTTPClient(httpConnectionTimeOut);
    const auto [response, timedOut] = client.post(url, {}, body);
    if (auto failure = ReaderSupport::verificationFailure<E>(response, timedOut, label)) return failure;
    std::clog << "verify Response OK" << std::endl;
    return std::nullopt;
  }
};

}  // namespace ekyc
