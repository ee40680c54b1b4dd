#pragma once
// The stand-in's check of the residence-card request (card type "residencecard", request type
// "11"): "expectedHash" is the base64 of a 32-byte SHA-256 digest (of the front image and photo),
// "signature" the base64 of the card's check code, "verifyingParams" the base64 of the JSON object
// {"certificate":"<base64 of the card's 1200-byte certificate field>"}. The DER certificate at the
// start of that field (zero fill after it) gives the RSA key; the check code must be its
// RSASSA-PKCS1-v1_5 SHA-256 signature over the expected hash. With a trusted issuer certificate
// given, the card's certificate must be that one.
#include <optional>

#include "Extension/Bytes.hpp"
#include "verification-server/VerificationRequest.hpp"
#include "verification-server/VerificationVerdict.hpp"

namespace ekyc {

class VerificationServer;

class ResidenceCardVerifier {
 public:
  explicit ResidenceCardVerifier(std::optional<Bytes> trustedCertificate = std::nullopt);

  VerificationVerdict verify(const VerificationRequest& request) const;
  // Routes ("residencecard", "11") to this verifier.
  void install(VerificationServer& server) const;

 private:
  std::optional<Bytes> trustedCertificate_;
};

}  // namespace ekyc
