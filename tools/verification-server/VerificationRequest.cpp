#include "verification-server/VerificationRequest.hpp"

#include <array>
#include <utility>

namespace ekyc {

namespace {

constexpr std::array<const char*, 7> MEMBERS = {"expectedHash", "signature", "verifyingParams", "flags",
                                                "cardType",     "reqType",   "tenantCode"};

}  // namespace

std::optional<VerificationRequest> VerificationRequest::fromJson(const nlohmann::json& body, std::string& problem) {
  if (!body.is_object()) {
    problem = "the body is not a JSON object";
    return std::nullopt;
  }
  for (const auto& [name, value] : body.items()) {
    bool known = false;
    for (const char* member : MEMBERS) {
      known = known || name == member;
    }
    if (!known) {
      problem = "unexpected member \"" + name + "\"";
      return std::nullopt;
    }
    if (!value.is_string()) {
      problem = "member \"" + name + "\" is not a text";
      return std::nullopt;
    }
  }
  for (const char* member : MEMBERS) {
    if (!body.contains(member)) {
      problem = std::string("member \"") + member + "\" is missing";
      return std::nullopt;
    }
  }
  VerificationRequest request;
  request.expectedHash = body["expectedHash"].get<std::string>();
  request.signature = body["signature"].get<std::string>();
  request.verifyingParams = body["verifyingParams"].get<std::string>();
  request.flags = body["flags"].get<std::string>();
  request.cardType = body["cardType"].get<std::string>();
  request.reqType = body["reqType"].get<std::string>();
  request.tenantCode = body["tenantCode"].get<std::string>();
  return request;
}

nlohmann::json VerificationRequest::toJson() const {
  return nlohmann::json{{"expectedHash", expectedHash}, {"signature", signature}, {"verifyingParams", verifyingParams},
                        {"flags", flags},               {"cardType", cardType},   {"reqType", reqType},
                        {"tenantCode", tenantCode}};
}

}  // namespace ekyc
