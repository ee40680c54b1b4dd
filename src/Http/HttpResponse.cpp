#include "Http/HttpResponse.hpp"

#include <utility>

namespace ekyc {

HttpResponse::HttpResponse(std::string errorDescription) : errorDescription(std::move(errorDescription)) {}

HttpResponse::HttpResponse(int httpStatusCode, std::string responseBody)
    : httpStatusCode(httpStatusCode), responseBody(std::move(responseBody)) {}

std::optional<int> HttpResponse::getHttpStatusCode() const { return httpStatusCode; }

std::optional<nlohmann::json> HttpResponse::getResponseBodyForMyNumberVerification() const {
  if (!httpStatusCode || responseBody.empty()) {
    return std::nullopt;
  }
  // Parse without exceptions: a body that is not JSON comes back as a "discarded" value.
  nlohmann::json parsed = nlohmann::json::parse(responseBody, nullptr, /*allow_exceptions=*/false);
  if (parsed.is_discarded() || !parsed.is_object()) {
    return std::nullopt;
  }
  return parsed;
}

const std::string& HttpResponse::getResponseBody() const { return responseBody; }

const std::string& HttpResponse::getErrorDescription() const { return errorDescription; }

}  // namespace ekyc
