#pragma once
// Byte data as it travels through the library.
#include <cstdint>
#include <string_view>
#include <vector>

namespace ekyc {

using Bytes = std::vector<std::uint8_t>;

// The bytes of a text, unchanged (UTF-8 stays UTF-8).
inline Bytes toBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

}  // namespace ekyc
