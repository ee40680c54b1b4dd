#pragma once
// The JPKI application of a virtual Individual Number Card, declared into a card emulator
// (AID D3 92 F0 00 26 01 00 00 00 01):
//   EF 0018 user-authentication PIN, EF 0017 its RSA key, EF 000A its certificate (free to read);
//   EF 001B signing PIN, EF 001A the signing RSA key, EF 0001 the signing certificate (after
//   EF 001B).
// COMPUTE DIGITAL SIGNATURE (80 2A 00 80, data = a DigestInfo) signs with the selected key file
// once that key's PIN has been verified: RSA with PKCS #1 v1.5 type-1 padding over the data as it
// is; 256 bytes and 9000. Without a selected key 6986 (no file) or 6985 (not a key), before the
// PIN 6982, other P1 P2 6A86, data empty or too long for the key 6700.
#include <cstdint>
#include <memory>
#include <string>

#include "Platform/VirtualCard/VirtualJpkiContents.hpp"

namespace ekyc {

class VirtualCard;
class VirtualCardApplication;

class JpkiApplication {
 public:
  static inline const std::string NAME = "JPKI";
  static constexpr std::uint8_t INS_COMPUTE_DIGITAL_SIGNATURE = 0x2A;

  // Declares the application with the given contents into the card.
  static VirtualCardApplication& install(VirtualCard& card, const VirtualJpkiContents& contents);
  // A card holding just this application.
  static std::shared_ptr<VirtualCard> makeCard(const VirtualJpkiContents& contents);
};

}  // namespace ekyc
