#pragma once
// Small, independent helpers for writing verifiers of the stand-in: strict base64, digests, JSON
// decoding of the request members, and a BER-TLV walk for card files. Nothing here throws.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "Extension/Bytes.hpp"

namespace ekyc {

struct TlvElement {
  std::string tag;       // upper-case hex of the tag bytes, e.g. "7F21"
  Bytes value;           // the value bytes
  std::size_t offset;    // where the element starts in the data walked
  std::size_t length;    // the whole element's length: tag, length octets and value
  bool constructed;      // the tag's constructed bit (0x20 of its first byte)
};

class VerifierKit {
 public:
  // Standard base64 with padding, no white space; absent when `text` is not exactly that.
  static std::optional<Bytes> base64Decode(std::string_view text);
  static std::string base64Encode(const Bytes& data);

  // The digest named as OpenSSL names it ("SHA256", "SHA-256", "SHA1", ...); absent for an unknown name.
  static std::optional<Bytes> digest(const std::string& algorithm, const Bytes& data);
  static Bytes sha256(const Bytes& data);

  static std::string hex(const Bytes& data);  // upper case

  // Any JSON value, or absent when `text` is not JSON or nests absurdly deep (Json::parse).
  static std::optional<nlohmann::json> parseJson(std::string_view text);
  // The JSON object that the base64 text encodes (as "verifyingParams" does); absent otherwise.
  static std::optional<nlohmann::json> decodeBase64JsonObject(std::string_view base64Text);
  // The texts of the JSON array of texts that the base64 text encodes (the two-sided form
  // `["X","Y"]`); absent otherwise.
  static std::optional<std::vector<std::string>> decodeBase64TextArray(std::string_view base64Text);

  // The top-level BER-TLV elements of `data`, in order. The walk stops at the first element that
  // does not lie wholly inside the data, and at 00 or FF filler.
  static std::vector<TlvElement> parseTlv(const Bytes& data);
  // The first element with `tagHex` at the top level of `data`, or (with `descend`) inside any
  // constructed element, depth first.
  static std::optional<TlvElement> findTlv(const Bytes& data, const std::string& tagHex, bool descend = false);
};

}  // namespace ekyc
