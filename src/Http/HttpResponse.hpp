#pragma once
// The outcome of one HTTPS exchange: the status code when an HTTP response arrived, and its body.
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace ekyc {

class HttpResponse {
 public:
  // No HTTP response arrived (refused, unreachable, TLS failure, time-out, oversized answer).
  HttpResponse() = default;
  // No HTTP response arrived; `errorDescription` says why (for diagnostics only).
  explicit HttpResponse(std::string errorDescription);
  // A complete HTTP response.
  HttpResponse(int httpStatusCode, std::string responseBody);

  // The HTTP status code; absent when no HTTP response arrived.
  std::optional<int> getHttpStatusCode() const;

  // The body parsed as JSON when the whole of it is one JSON object (a map from member name to
  // value); absent when there is no body, when it is not JSON (trailing bytes or a NUL included),
  // when it is JSON but not an object, or when an object names a member twice (Json::parse).
  std::optional<nlohmann::json> getResponseBodyForMyNumberVerification() const;

  // The raw body as received (empty when no HTTP response arrived).
  const std::string& getResponseBody() const;

  // Why no HTTP response arrived; empty when one did.
  const std::string& getErrorDescription() const;

 private:
  std::optional<int> httpStatusCode;
  std::string responseBody;
  std::string errorDescription;
};

}  // namespace ekyc
