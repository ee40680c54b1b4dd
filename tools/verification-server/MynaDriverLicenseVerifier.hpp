#pragma once
// The stand-in's check of the licence data on the Individual Number Card (card type "mynumber",
// request type "43"): the expected hash is the SHA-256 of the whole entries file, the signature
// the file's 0108, and the verifying parameters {"ski":...} name the issuer key (010D), which the
// registry knows. The signature must verify over the digest sent.
#include <memory>

#include "verification-server/SkiKeyRegistry.hpp"
#include "verification-server/VerificationRequest.hpp"

namespace ekyc {

class VerificationServer;

class MynaDriverLicenseVerifier {
 public:
  explicit MynaDriverLicenseVerifier(std::shared_ptr<const SkiKeyRegistry> keys) : keys_(std::move(keys)) {}

  VerificationVerdict verify(const VerificationRequest& request) const {
    return keys_->verifyDigest(request.expectedHash, request.signature, request.verifyingParams);
  }
  // Routes ("mynumber", "43") to this verifier.
  void install(VerificationServer& server) const;

 private:
  std::shared_ptr<const SkiKeyRegistry> keys_;
};

}  // namespace ekyc
