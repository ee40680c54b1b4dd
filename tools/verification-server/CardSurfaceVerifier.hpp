#pragma once
// The stand-in's checks of the card-surface and input-support requests of the Individual Number
// Card (card type "mynumber"): "21" number image, "22" number text, "23" both; "11" card surface,
// "12" basic items, "13" both; "32" input-support data.
//
// Each side arrives as three base64 texts: the expected hash, the card's signature and the
// verifying parameters (the JSON object {"publicKey":...[,"hash":...]} as the library writes it,
// without blanks). The public key is the value of the card's 7F21 record: 5F4E (a card-verifiable
// certificate body whose 7F49 holds the RSA modulus 81 and exponent 82) and 5F37 (the issuer's
// signature over the whole 5F4E element). The combined types carry, in each of the three members,
// the base64 of a JSON array of the two sides' texts, card-surface side first.
//
// What is checked per side (RSASSA-PKCS1-v1_5 with SHA-256 throughout):
// - card surface, number image ("21"): the expected hash is 32 bytes; the signature verifies over it;
// - card surface, surface ("11"): the expected hash is the 96 bytes of three digests; the signature
//   verifies over their SHA-256;
// - input support ("22" / "12"): the expected hash is the digest of the number file / of the basic
//   items, the "hash" member the other one; the hash body DF31 20 h1 DF32 20 h2 is rebuilt and the
//   signature verifies over its SHA-256;
// - input support, whole ("32"): the expected hash is the SHA-256 of that body; the signature
//   verifies over it; no "hash" member.
// The card-surface sides carry no "hash" member. With an issuer key, the certificate record's
// issuer signature must verify too.
#include <memory>
#include <string>
#include <vector>

#include "Extension/Bytes.hpp"

struct evp_pkey_st;

namespace ekyc {

class CardSurfaceVerifier {
 public:
  struct Verdict {
    bool valid = false;
    std::string detail;  // why it is not valid; empty when valid
  };

  // issuer: when set, each certificate record's 5F37 must verify with it.
  explicit CardSurfaceVerifier(std::shared_ptr<evp_pkey_st> issuer = nullptr);

  // The request types this verifier serves, for card type "mynumber".
  static const std::vector<std::string>& requestTypes();

  // The verdict on the three members of one request of the given type.
  Verdict verify(const std::string& reqType, const std::string& expectedHash, const std::string& signature,
                 const std::string& verifyingParams) const;

  // The RSA public key of a certificate record (the value of 7F21); null when it is not one.
  static std::shared_ptr<evp_pkey_st> publicKeyOfRecord(const Bytes& record);

 private:
  enum class Side { numberImage, cardSurface, numberText, basicItems, inputSupportAll };
  Verdict verifySide(Side side, const std::string& expectedHash, const std::string& signature,
                     const std::string& verifyingParams) const;
  Verdict verifyPair(Side first, Side second, const std::string& expectedHash, const std::string& signature,
                     const std::string& verifyingParams) const;

  std::shared_ptr<evp_pkey_st> issuer_;
};

}  // namespace ekyc
