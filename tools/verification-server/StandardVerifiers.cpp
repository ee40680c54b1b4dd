#include "verification-server/StandardVerifiers.hpp"

#include "verification-server/CardSurfaceVerifier.hpp"
#include "verification-server/DriverLicenseVerifier.hpp"
#include "verification-server/SkiKeyRegistry.hpp"
#include "Platform/VirtualCard/VirtualDriverLicense.hpp"
#include "verification-server/VerificationServer.hpp"

namespace ekyc {

void StandardVerifiers::install(VerificationServer& server) { install(server, standardSkiRegistry()); }

void StandardVerifiers::install(VerificationServer& server, std::shared_ptr<SkiKeyRegistry> skiRegistry) {
  // Request types register here as their readers arrive.
  CardSurfaceVerifier().install(server);
  DriverLicenseVerifier(std::move(skiRegistry)).install(server);
}

std::shared_ptr<SkiKeyRegistry> StandardVerifiers::standardSkiRegistry() {
  // The issuers the stand-in trusts by SKI: the virtual licence issuer.
  auto registry = std::make_shared<SkiKeyRegistry>();
  if (auto key = RsaPublicKey::fromSubjectPublicKeyInfo(VirtualDriverLicense::issuerPublicKeyInfo())) {
    registry->add(std::move(*key));
  }
  return registry;
}

}  // namespace ekyc
