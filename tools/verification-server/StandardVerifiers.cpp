#include "verification-server/StandardVerifiers.hpp"

#include "verification-server/CardSurfaceVerifier.hpp"
#include "verification-server/MynaDriverLicenseVerifier.hpp"
#include "verification-server/DriverLicenseVerifier.hpp"
#include "verification-server/SkiKeyRegistry.hpp"
#include "verification-server/ResidenceCardVerifier.hpp"
#include "verification-server/VerificationServer.hpp"

namespace ekyc {

void StandardVerifiers::install(VerificationServer& server) {
  install(server, std::make_shared<SkiKeyRegistry>());
}

void StandardVerifiers::install(VerificationServer& server, std::shared_ptr<SkiKeyRegistry> skiRegistry) {
  // Request types register here as their readers arrive.
  CardSurfaceVerifier().install(server);
  ResidenceCardVerifier().install(server);
  MynaDriverLicenseVerifier(skiRegistry).install(server);
  DriverLicenseVerifier(std::move(skiRegistry)).install(server);
}

}  // namespace ekyc
