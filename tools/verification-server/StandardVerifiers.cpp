#include "verification-server/StandardVerifiers.hpp"

#include <memory>

#include "verification-server/CardSurfaceVerifier.hpp"
#include "verification-server/MynaDriverLicenseVerifier.hpp"
#include "verification-server/SkiKeyRegistry.hpp"
#include "verification-server/ResidenceCardVerifier.hpp"
#include "verification-server/VerificationServer.hpp"

namespace ekyc {

std::shared_ptr<SkiKeyRegistry> StandardVerifiers::skiKeys() {
  // Empty at first: whoever makes the cards (tests, the example host) registers their issuers.
  static const std::shared_ptr<SkiKeyRegistry> registry = std::make_shared<SkiKeyRegistry>();
  return registry;
}

void StandardVerifiers::install(VerificationServer& server) {
  // Request types register here as their readers arrive.
  CardSurfaceVerifier().install(server);
  MynaDriverLicenseVerifier(skiKeys()).install(server);
  ResidenceCardVerifier().install(server);
}

}  // namespace ekyc
