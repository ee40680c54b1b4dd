#pragma once
// The licence-data application of a virtual Individual Number Card (AID A0 00 00 02 31 06 followed
// by ten 00), declared into a card emulator:
//   EF 0006 the 4-digit licence-data PIN (its own retry counter);
//   EF 001B the entries (5845 bytes), EF 001C their signature file (584 bytes), both after the PIN.
// The entries hold every item group of the licence data: UTF-8 texts (C2, C5, E7, E8, E9..EB), hex
// (C3), JIS X 0208 text with a Roman numeral of the external table (C4, C6..D3, D7..DE, DF..E6), raw
// values (CA, CB, D4..D6, EC..FA, FB..FF, 0100..0106) and the photo 0107 in long form; the tail is
// 00 (never FF, which is a listed tag). The signature file holds 0108 (RSA PKCS #1 v1.5, SHA-256
// over the whole entries file), 0109 serial, 010A, 010B issuer, 010C subject and 010D the SKI of the
// virtual issuer key that signed.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Extension/Bytes.hpp"
#include "Platform/VirtualCard/VirtualCertificateAuthority.hpp"

namespace ekyc {

class VirtualCard;

class MynaDriverLicenseApplication {
 public:
  static inline const std::string NAME = "licence data";
  static Bytes aid() { return {0xA0, 0x00, 0x00, 0x02, 0x31, 0x06, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}; }
  static constexpr std::uint16_t EF_PIN = 0x0006;
  static constexpr std::uint16_t EF_ENTRIES = 0x001B;
  static constexpr std::uint16_t EF_SIGNATURE = 0x001C;
  static constexpr std::size_t ENTRIES_SIZE = 5845;
  static constexpr std::size_t SIGNATURE_SIZE = 584;

  // The virtual issuer: an RSA-2048 key made once per process, named by its subject key
  // identifier (SHA-1 of the public key's bits, as RFC 5280 suggests).
  struct Issuer {
    EvpPkeyPtr key;
    Bytes ski;
    Bytes subjectPublicKeyInfo;  // DER
  };
  static const Issuer& issuer();

  // The variants of the files a test needs.
  enum class Variant {
    standard,
    repeatedColorClass,   // C4 twice: the second one counts
    emptyItems,           // C3 and 0107 of length 0, an obtained-date list with only its third tag
    invalidUtf8,          // C2 is not UTF-8
    length80,             // a length byte 80 after E8: what follows it is not read
    signatureFile010E,    // the signature file begins 01 0E: no signature item at all
    missingSignature,     // no 0108
    emptySignature,       // 0108 of length 0
    missingSki,           // no 010D
  };

  struct Contents {
    std::string pin = "1357";
    int pinTries = 3;
    // The elements (tag bytes, value) of each file, in order, and the files as the card holds them.
    std::vector<std::pair<Bytes, Bytes>> entryElements;
    std::vector<std::pair<Bytes, Bytes>> signatureElements;
    Bytes entries;
    Bytes signatureFile;
  };

  // The files of the sample holder in the given variant, signed by the virtual issuer.
  static Contents make(Variant variant = Variant::standard);
  // The whole element (tag, length, value) with the licence data's length rule (81/82 above 127).
  static Bytes element(const Bytes& tag, const Bytes& value);

  static void install(VirtualCard& card, const Contents& contents);
  // A card holding just this application.
  static std::shared_ptr<VirtualCard> makeCard(const Contents& contents);
};

}  // namespace ekyc
