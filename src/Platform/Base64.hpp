#pragma once
// Standard base64 (RFC 4648, section 4: "A-Z a-z 0-9 + /" with "=" padding).
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "Extension/Bytes.hpp"

namespace ekyc {

class Base64 {
 public:
  // Encodes on one line, padded with "=", no line breaks.
  static std::string encode(std::span<const std::uint8_t> data);

  // Strict decoding: the text must be whole 4-character groups of the standard alphabet, with "="
  // only as the last one or two characters. A blank, a line break, the URL-safe alphabet, a missing
  // or misplaced "=" or any other character makes the text invalid: absent. The empty text gives
  // empty bytes.
  static std::optional<Bytes> decode(std::string_view text);
};

}  // namespace ekyc
