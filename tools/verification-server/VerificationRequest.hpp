#pragma once
// One verification request as the stand-in receives it: the seven text members of the JSON body.
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace ekyc {

struct VerificationRequest {
  std::string expectedHash;
  std::string signature;
  std::string verifyingParams;
  std::string flags;
  std::string cardType;
  std::string reqType;
  std::string tenantCode;

  // The request held by `body`: a JSON object of exactly the seven members, each a text. Absent
  // otherwise, with `problem` saying what is wrong.
  static std::optional<VerificationRequest> fromJson(const nlohmann::json& body, std::string& problem);

  nlohmann::json toJson() const;
};

}  // namespace ekyc
