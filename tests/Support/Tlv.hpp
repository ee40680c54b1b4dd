#pragma once
// Building BER-TLV card files for tests.
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "Extension/Bytes.hpp"
#include "Support/Hex.hpp"

namespace ekyc::test {

// The length octets in the shortest definite form (00-7F, 81 xx, 82 xx xx, 83 xx xx xx).
inline Bytes berLength(std::size_t length) {
  if (length < 0x80) return {static_cast<std::uint8_t>(length)};
  if (length <= 0xFF) return {0x81, static_cast<std::uint8_t>(length)};
  if (length <= 0xFFFF) return {0x82, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
  return {0x83, static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 8),
          static_cast<std::uint8_t>(length)};
}

inline Bytes tlv(std::string_view tagHex, const Bytes& value) {
  Bytes out = hex(tagHex);
  const Bytes length = berLength(value.size());
  out.insert(out.end(), length.begin(), length.end());
  out.insert(out.end(), value.begin(), value.end());
  return out;
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// Pads with a filler byte up to the file size a READ BINARY returns.
inline Bytes padTo(Bytes data, std::size_t size, std::uint8_t filler) {
  if (data.size() < size) data.resize(size, filler);
  return data;
}

// n bytes of a recognisable pattern.
inline Bytes pattern(std::size_t n, std::uint8_t seed) {
  Bytes out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(seed + i * 7);
  return out;
}

}  // namespace ekyc::test
