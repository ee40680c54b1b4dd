#pragma once
// The stand-in's check of the licence data on the Individual Number Card (card type "mynumber",
// request type "43"). The request has the IC driving licence's shape, so the check is that
// verifier's: "verifyingParams" is {"ski":"<base64 SKI>"} (the signature file's 010D), naming the
// issuer key in the SKI registry; "expectedHash" the SHA-256 (32 bytes) of the whole entries file
// as read; "signature" the file's 0108, an RSASSA-PKCS1-v1_5 SHA-256 signature over it. Valid when
// the key is known and the signature verifies over the hash.
#include <memory>

#include "verification-server/DriverLicenseVerifier.hpp"

namespace ekyc {

class VerificationServer;

class MynaDriverLicenseVerifier {
 public:
  explicit MynaDriverLicenseVerifier(std::shared_ptr<const SkiKeyRegistry> registry) : check_(std::move(registry)) {}

  VerificationVerdict verify(const VerificationRequest& request) const { return check_.verify(request); }
  // Routes ("mynumber", "43") to this verifier.
  void install(VerificationServer& server) const;

 private:
  DriverLicenseVerifier check_;
};

}  // namespace ekyc
