#pragma once
// The stand-in's checks of the card-surface and input-support requests of the Individual Number
// Card (card type "mynumber"): "21" number image, "22" number text, "23" both; "11" card surface,
// "12" basic items, "13" both; "32" input-support data.
//
// Each side arrives as three base64 texts: the expected hash, the card's signature and the
// verifying parameters (the JSON object {"publicKey":...[,"hash":...]} exactly as the library
// writes it, without blanks). The public key is the value of the card's 7F21 record: 5F4E (a
// card-verifiable certificate body whose 7F49 holds the RSA modulus 81 and exponent 82) and 5F37
// (the issuer's signature over the whole 5F4E element). The combined types carry, in each of the
// three members, the base64 of a JSON array of the two sides' texts, card-surface side first.
//
// What is checked per side (RSASSA-PKCS1-v1_5 with SHA-256 throughout):
// - number image ("21"): the expected hash is 32 bytes; the signature verifies over it;
// - card surface ("11"): the expected hash is the 96 bytes of three digests; the signature verifies
//   over their SHA-256;
// - number text ("22") / basic items ("12"): the expected hash is the digest of the number file /
//   of the basic items, the "hash" member the other one; the hash body DF31 20 h1 DF32 20 h2 that
//   the card keeps is rebuilt, and the signature verifies over its SHA-256;
// - input support, whole ("32"): the expected hash is the SHA-256 of that body; the signature
//   verifies over it.
// Only the input-support sides of "12", "22" (and so "13", "23") carry a "hash" member. With an
// issuer key, each certificate record's 5F37 must verify too.
#include <optional>
#include <string>
#include <vector>

#include "verification-server/RsaPublicKey.hpp"
#include "verification-server/VerificationRequest.hpp"
#include "verification-server/VerificationVerdict.hpp"

namespace ekyc {

class VerificationServer;

class CardSurfaceVerifier {
 public:
  explicit CardSurfaceVerifier(std::optional<RsaPublicKey> issuer = std::nullopt);

  // The request types served, for card type "mynumber".
  static const std::vector<std::string>& requestTypes();

  // The verdict on one request (its "reqType" chooses the checks).
  VerificationVerdict verify(const VerificationRequest& request) const;
  VerificationVerdict verify(const std::string& reqType, const std::string& expectedHash, const std::string& signature,
                             const std::string& verifyingParams) const;

  // Routes every type above to this verifier.
  void install(VerificationServer& server) const;

 private:
  enum class Side { numberImage, cardSurface, numberText, basicItems, inputSupportAll };
  VerificationVerdict verifySide(Side side, const std::string& expectedHash, const std::string& signature,
                                 const std::string& verifyingParams) const;
  VerificationVerdict verifyPair(Side first, Side second, const std::string& expectedHash,
                                 const std::string& signature, const std::string& verifyingParams) const;

  std::optional<RsaPublicKey> issuer_;
};

}  // namespace ekyc
