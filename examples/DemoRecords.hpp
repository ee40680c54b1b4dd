#pragma once
// The JSON the example host prints for a signing record, which has no JSON form of its own:
// signature, certificate and signed data in base64, the hash OID and the expected hash.
#include <optional>

#include <nlohmann/json.hpp>

#include "Platform/Base64.hpp"
#include "Sign/SignatureData.hpp"

namespace ekyc::demo {

inline std::string base64OrEmpty(const std::optional<Bytes>& bytes) { return bytes ? Base64::encode(*bytes) : ""; }

inline nlohmann::json signatureJson(const SignatureData& data) {
  return {{"signature", base64OrEmpty(data.signature())},
          {"signingCert", base64OrEmpty(data.signingCert())},
          {"tbsData", base64OrEmpty(data.tbsData())},
          {"hashAlgOid", data.hashAlgOid().value_or("")},
          {"expectedHash", data.getExpectedHash().value_or("")}};
}

}  // namespace ekyc::demo
