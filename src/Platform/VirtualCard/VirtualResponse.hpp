#pragma once
// A virtual card's answer to one command: response data and the status word.
#include <cstdint>

#include "Extension/Bytes.hpp"

namespace ekyc {

struct VirtualResponse {
  Bytes data;
  std::uint16_t sw = 0x9000;

  static VirtualResponse ok(Bytes data = {}) { return VirtualResponse{std::move(data), 0x9000}; }
  static VirtualResponse status(std::uint16_t sw) { return VirtualResponse{{}, sw}; }
  // Data followed by SW1 SW2.
  Bytes encoded() const {
    Bytes out = data;
    out.push_back(static_cast<std::uint8_t>(sw >> 8));
    out.push_back(static_cast<std::uint8_t>(sw & 0xFF));
    return out;
  }
};

}  // namespace ekyc
