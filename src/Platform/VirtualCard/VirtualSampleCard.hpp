#pragma once
// A small sample card for the platform layer's own tests, benchmark and demo: one application
// with a PIN, a file readable after it (5498 bytes, the size of the largest single read of the
// readers) and a free 17-byte file. The card applications of the readers are declared elsewhere.
#include <cstdint>
#include <memory>
#include <string>

#include "Extension/Bytes.hpp"

namespace ekyc {

class VirtualCard;

class VirtualSampleCard {
 public:
  static inline const std::string APPLICATION = "sample";
  static inline const Bytes AID = {0xF0, 0x45, 0x4B, 0x59, 0x43, 0x53, 0x41, 0x4D};
  static constexpr std::uint16_t PIN_FILE = 0x0011;
  static constexpr std::uint16_t PROTECTED_FILE = 0x0001;  // readable once the PIN is verified
  static constexpr std::uint16_t FREE_FILE = 0x0002;
  static constexpr std::uint8_t FREE_FILE_SHORT_ID = 0x02;
  static constexpr std::size_t PROTECTED_SIZE = 5498;
  static constexpr std::size_t FREE_SIZE = 17;
  static constexpr int PIN_TRIES = 3;

  static std::shared_ptr<VirtualCard> make(const std::string& pin = "1234");
  static Bytes protectedContents();
  static Bytes freeContents();
};

}  // namespace ekyc
