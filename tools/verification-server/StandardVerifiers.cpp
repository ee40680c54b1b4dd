#include "verification-server/StandardVerifiers.hpp"

#include "verification-server/CardSurfaceVerifier.hpp"
#include "verification-server/DriverLicenseVerifier.hpp"
#include "verification-server/SkiKeyRegistry.hpp"
#include "verification-server/ResidenceCardVerifier.hpp"
#include "verification-server/VerificationServer.hpp"

namespace ekyc {

void StandardVerifiers::install(VerificationServer& server) { install(server, Issuers{}); }

void StandardVerifiers::install(VerificationServer& server, std::shared_ptr<SkiKeyRegistry> skiRegistry) {
  Issuers issuers;
  issuers.driverLicence = std::move(skiRegistry);
  install(server, issuers);
}

void StandardVerifiers::install(VerificationServer& server, const Issuers& issuers) {
  // Request types register here as their readers arrive.
  CardSurfaceVerifier(issuers.cardSurface).install(server);
  ResidenceCardVerifier(issuers.residenceCard).install(server);
  DriverLicenseVerifier(issuers.driverLicence ? issuers.driverLicence : std::make_shared<SkiKeyRegistry>())
      .install(server);
}

}  // namespace ekyc
