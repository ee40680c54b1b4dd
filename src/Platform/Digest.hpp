#pragma once
// One-shot message digests (FIPS 180-4) over OpenSSL's libcrypto.
#include <cstddef>
#include <cstdint>
#include <span>

#include "Extension/Bytes.hpp"

namespace ekyc {

class Digest {
 public:
  enum class Algorithm { SHA1, SHA256, SHA384, SHA512 };

  // The digest of the bytes: 20, 32, 48 or 64 bytes. Empty only if libcrypto itself fails.
  static Bytes compute(Algorithm algorithm, std::span<const std::uint8_t> data);

  static Bytes sha1(std::span<const std::uint8_t> data) { return compute(Algorithm::SHA1, data); }
  static Bytes sha256(std::span<const std::uint8_t> data) { return compute(Algorithm::SHA256, data); }
  static Bytes sha384(std::span<const std::uint8_t> data) { return compute(Algorithm::SHA384, data); }
  static Bytes sha512(std::span<const std::uint8_t> data) { return compute(Algorithm::SHA512, data); }

  // Digest size in bytes.
  static std::size_t size(Algorithm algorithm);
};

}  // namespace ekyc
