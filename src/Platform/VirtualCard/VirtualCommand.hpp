#pragma once
// A command APDU as a virtual card receives it (ISO/IEC 7816-4 cases 1, 2, 3 and 4, short and
// extended forms).
#include <cstddef>
#include <cstdint>
#include <optional>

#include "Extension/Bytes.hpp"

namespace ekyc {

struct VirtualCommand {
  std::uint8_t cla = 0;
  std::uint8_t ins = 0;
  std::uint8_t p1 = 0;
  std::uint8_t p2 = 0;
  Bytes data;
  // Ne, the number of bytes expected: 1..256 in the short form (00 is 256), 1..65536 in the
  // extended form (00 00 is 65536); absent when the command expects no data.
  std::optional<std::size_t> le;
  bool extended = false;
  // The command as received.
  Bytes bytes;

  // Secure messaging indicated in the class byte (first interindustry classes).
  bool isSecureMessaging() const { return (cla & 0x80) == 0 && (cla & 0x0C) != 0; }

  // Parses a command; absent when its length bytes do not match its size.
  static std::optional<VirtualCommand> parse(const Bytes& bytes);
};

}  // namespace ekyc
