// Strict base64 over any text: what decodes encodes back to a text of the same length, and what
// is encoded decodes back to itself.
// fuzz-parser: Platform/Base64.cpp
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Platform/Base64.hpp"

using namespace ekyc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto decoded = Base64::decode(text)) {
    if (Base64::encode(*decoded).size() != size) __builtin_trap();
  }
  const auto encoded = Base64::encode(std::span<const std::uint8_t>(data, size));
  const auto back = Base64::decode(encoded);
  if (!back || *back != Bytes(data, data + size)) __builtin_trap();
  return 0;
}
