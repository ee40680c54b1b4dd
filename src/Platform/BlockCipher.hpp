#pragma once
// DES and triple DES over OpenSSL's libcrypto, with a caller-given IV.
//
// Single DES runs as three-key triple DES with the key K|K|K, which gives the same result and needs
// no legacy provider. Triple DES takes a two-key (K1|K2, used as K1|K2|K1) or a three-key key.
#include <cstdint>
#include <optional>
#include <span>

#include "Extension/Bytes.hpp"

namespace ekyc {

class BlockCipher {
 public:
  enum class Algorithm { DES, TripleDES };
  enum class Direction { Encrypt, Decrypt };
  enum class Mode { CBC, ECB };

  static constexpr std::size_t blockSize = 8;

  // Runs the cipher over the data. Absent when the key has the wrong size for the algorithm (8 for
  // DES; 16 or 24 for triple DES), the IV is not 8 bytes (CBC only), or, without padding, the data
  // is not a whole number of blocks. With pkcs7Padding, encryption pads and decryption removes and
  // checks the padding. Empty data without padding gives empty output.
  static std::optional<Bytes> run(Algorithm algorithm, Direction direction, Mode mode,
                                  std::span<const std::uint8_t> key, std::span<const std::uint8_t> iv,
                                  std::span<const std::uint8_t> data, bool pkcs7Padding = false);

  // Shorthands for CBC without padding.
  static std::optional<Bytes> desCbc(Direction direction, std::span<const std::uint8_t> key,
                                     std::span<const std::uint8_t> iv, std::span<const std::uint8_t> data) {
    return run(Algorithm::DES, direction, Mode::CBC, key, iv, data);
  }
  static std::optional<Bytes> tripleDesCbc(Direction direction, std::span<const std::uint8_t> key,
                                           std::span<const std::uint8_t> iv, std::span<const std::uint8_t> data) {
    return run(Algorithm::TripleDES, direction, Mode::CBC, key, iv, data);
  }
};

}  // namespace ekyc
