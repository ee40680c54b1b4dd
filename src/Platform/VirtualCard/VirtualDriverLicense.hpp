#pragma once
// A virtual IC driving licence, declared into the card emulator:
//   MF   PIN files EF 0001 (PIN 1) and EF 0002 (PIN 2), 4 digits each; EF 2F01 common data (17 bytes)
//   DF1  (AID A0 00 00 02 31 01 + ten 00) EF 0001 entries (880), EF 0002 registered domicile (82),
//        EF 0003 external characters (264), EF 0004 changed entries (640), EF 0005 changed
//        external characters (663), EF 0006 changed registered domicile (256), EF 0007 signature
//        (578); readable after PIN 1, EF 0002 and EF 0006 after both PINs
//   DF2  (AID A0 00 00 02 31 02 + ten 00) EF 0001 photo (2005), after both PINs
// The sample holder's text is JIS X 0208 with external characters (FF F1 to FF F7, FF FA, one at
// the start of the name), a Roman numeral, a previous name between 214E and 214F, and a change
// history with a missing tag and a 25-byte entry. The signature file's B1 is an RSA-2048
// PKCS#1 v1.5 SHA-256 signature over the 2967-byte signed source (the first 880, 82 and 2005
// bytes of the entries, domicile and photo files) by the virtual issuer key, named in B6 by its
// subject key identifier.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <openssl/evp.h>

#include "Extension/Bytes.hpp"

namespace ekyc {

class VirtualCard;

struct DriverLicenseFiles {
  Bytes commonData;                 // MF EF 2F01
  Bytes entries;                    // DF1 EF 0001
  Bytes registeredDomicile;         // DF1 EF 0002
  Bytes externalCharacters;         // DF1 EF 0003
  Bytes changedEntries;             // DF1 EF 0004
  Bytes changedExternalCharacters;  // DF1 EF 0005
  Bytes changedRegisteredDomicile;  // DF1 EF 0006
  Bytes signature;                  // DF1 EF 0007
  Bytes photo;                      // DF2 EF 0001

  // The sample licence, signed.
  static DriverLicenseFiles sample();
  // The three history files without any tag (filler only), signed.
  static DriverLicenseFiles withoutHistory();

  // The signed source: the first 880, 82 and 2005 bytes of entries, domicile and photo (shorter
  // files give what they have).
  Bytes source() const;
  // Rewrites the signature file's B1 with the issuer's signature over source().
  void sign();
};

class VirtualDriverLicense {
 public:
  static inline const std::string DF1 = "DF1";
  static inline const std::string DF2 = "DF2";
  static const Bytes DF1_AID;
  static const Bytes DF2_AID;
  static constexpr std::uint16_t PIN1 = 0x0001;
  static constexpr std::uint16_t PIN2 = 0x0002;

  struct Options {
    std::string pin1 = "1234";
    std::string pin2 = "5678";
    int pinTries = 3;
    std::optional<int> pin1TriesLeft;  // e.g. 1 (one try left) or 0 (locked)
    std::optional<int> pin2TriesLeft;
  };

  static std::shared_ptr<VirtualCard> makeCard();
  static std::shared_ptr<VirtualCard> makeCard(const DriverLicenseFiles& files, const Options& options);

  // The virtual issuer's RSA-2048 key, made on first use and shared by every virtual licence of the
  // process; its subject key identifier (SHA-1 of the RSAPublicKey, as RFC 5280 method 1) and its
  // DER SubjectPublicKeyInfo.
  static const std::shared_ptr<EVP_PKEY>& issuerKey();
  static Bytes issuerSki();
  static Bytes issuerPublicKeyInfo();
};

}  // namespace ekyc
