#include "verification-server/DriverLicenseVerifier.hpp"

#include "verification-server/VerificationServer.hpp"
#include "verification-server/VerifierKit.hpp"

namespace ekyc {

DriverLicenseVerifier::DriverLicenseVerifier(std::shared_ptr<const SkiKeyRegistry> registry)
    : registry_(std::move(registry)) {}

void DriverLicenseVerifier::install(VerificationServer& server) const {
  const DriverLicenseVerifier copy = *this;
  server.addVerifier("driverlicense", "11", [copy](const VerificationRequest& request) { return copy.verify(request); });
}

VerificationVerdict DriverLicenseVerifier::verify(const VerificationRequest& request) const {
  if (request.flags != "0") return VerificationVerdict::failed("E_FORMAT", "flags is not \"0\"");
  if (request.tenantCode.empty()) return VerificationVerdict::failed("E_FORMAT", "tenantCode is empty");
  const auto hash = VerifierKit::base64Decode(request.expectedHash);
  if (!hash || hash->size() != 32) return VerificationVerdict::failed("E_FORMAT", "expectedHash is not a SHA-256 digest");
  const auto signature = VerifierKit::base64Decode(request.signature);
  if (!signature || signature->empty()) return VerificationVerdict::failed("E_FORMAT", "signature is not base64");
  const auto ski = SkiKeyRegistry::skiOfVerifyingParams(request.verifyingParams);
  if (!ski) return VerificationVerdict::failed("E_FORMAT", "verifyingParams is not {\"ski\":...}");
  const auto key = registry_ ? registry_->find(*ski) : std::nullopt;
  if (!key) return VerificationVerdict::failed("E404", "no key is registered under ski " + VerifierKit::hex(*ski));
  if (!key->verifyDigest("SHA256", *hash, *signature)) {
    return VerificationVerdict::failed("E001", "the licence signature does not verify");
  }
  return VerificationVerdict::passed(VerifierKit::hex(*ski));
}

}  // namespace ekyc
