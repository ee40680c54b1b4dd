#include "Http/HttpResponse.hpp"

#include <utility>

#include "Platform/Json.hpp"

namespace ekyc {

HttpResponse::HttpResponse(std::string errorDescription) : errorDescription(std::move(errorDescription)) {}

HttpResponse::HttpResponse(int httpStatusCode, std::string responseBody)
    : httpStatusCode(httpStatusCode), responseBody(std::move(responseBody)) {}

std::optional<int> HttpResponse::getHttpStatusCode() const { return httpStatusCode; }

std::optional<nlohmann::json> HttpResponse::getResponseBodyForMyNumberVerification() const {
  if (!httpStatusCode || responseBody.empty()) {
    return std::nullopt;
  }
  return Json::parseObject(responseBody);
}

const std::string& HttpResponse::getResponseBody() const { return responseBody; }

const std::string& HttpResponse::getErrorDescription() const { return errorDescription; }

}  // namespace ekyc
