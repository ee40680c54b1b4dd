#pragma once
// The stand-in's check of the IC driving licence (card type "driverlicense", request type "11"):
// "verifyingParams" is {"ski":"<base64 SKI>"}, naming the issuer key in the SKI registry;
// "expectedHash" the SHA-256 (32 bytes) of the 2967-byte signed source; "signature" the licence's
// B1, an RSASSA-PKCS1-v1_5 SHA-256 signature over that source. The verdict is valid when the key
// is known and the signature verifies over the hash.
#include <memory>

#include "Extension/Bytes.hpp"
#include "verification-server/SkiKeyRegistry.hpp"
#include "verification-server/VerificationRequest.hpp"
#include "verification-server/VerificationVerdict.hpp"

namespace ekyc {

class VerificationServer;

class DriverLicenseVerifier {
 public:
  explicit DriverLicenseVerifier(std::shared_ptr<const SkiKeyRegistry> registry);

  VerificationVerdict verify(const VerificationRequest& request) const;
  // Routes ("driverlicense", "11") to this verifier.
  void install(VerificationServer& server) const;

 private:
  std::shared_ptr<const SkiKeyRegistry> registry_;
};

}  // namespace ekyc
