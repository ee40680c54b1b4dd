#pragma once
// The stand-in's check of the licence data on the Individual Number Card (card type "mynumber",
// request type "43"): "verifyingParams" is {"ski":"<base64 SKI>"} (the signature file's 010D),
// naming the issuer key in the SKI registry; "expectedHash" the SHA-256 (32 bytes) of the whole
// entries file as read; "signature" the file's 0108, an RSASSA-PKCS1-v1_5 SHA-256 signature over
// it. The verdict is valid when the key is known and the signature verifies over the hash.
#include <memory>

#include "verification-server/SkiKeyRegistry.hpp"
#include "verification-server/VerificationRequest.hpp"
#include "verification-server/VerificationVerdict.hpp"

namespace ekyc {

class VerificationServer;

class MynaDriverLicenseVerifier {
 public:
  explicit MynaDriverLicenseVerifier(std::shared_ptr<const SkiKeyRegistry> registry);

  VerificationVerdict verify(const VerificationRequest& request) const;
  // Routes ("mynumber", "43") to this verifier.
  void install(VerificationServer& server) const;

 private:
  std::shared_ptr<const SkiKeyRegistry> registry_;
};

}  // namespace ekyc
