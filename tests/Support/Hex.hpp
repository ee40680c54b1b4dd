#pragma once
// Hex literals for tests: blanks are ignored, so vectors can be written as in the standards.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "Extension/Bytes.hpp"

namespace ekyc::test {

inline Bytes hex(std::string_view text) {
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    throw std::invalid_argument("bad hex digit in test data");
  };
  Bytes out;
  int high = -1;
  for (const char c : text) {
    if (c == ' ' || c == '\n') continue;
    const int d = digit(c);
    if (high < 0) {
      high = d;
    } else {
      out.push_back(static_cast<std::uint8_t>(high * 16 + d));
      high = -1;
    }
  }
  if (high >= 0) throw std::invalid_argument("odd hex digit count in test data");
  return out;
}

inline std::string toHex(const Bytes& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const auto b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
  }
  return out;
}

}  // namespace ekyc::test
