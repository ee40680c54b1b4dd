#include "verification-server/StandardVerifiers.hpp"

#include "verification-server/CardSurfaceVerifier.hpp"
#include "verification-server/MynaDriverLicenseVerifier.hpp"
#include "verification-server/DriverLicenseVerifier.hpp"
#include "verification-server/SkiKeyRegistry.hpp"
#include "verification-server/ResidenceCardVerifier.hpp"
#include "verification-server/VerificationServer.hpp"

namespace ekyc {

void StandardVerifiers::install(VerificationServer& server) { install(server, Issuers{}); }

void StandardVerifiers::install(VerificationServer& server, std::shared_ptr<SkiKeyRegistry> skiRegistry) {
  Issuers issuers;
  issuers.skiRegistry = std::move(skiRegistry);
  install(server, issuers);
}

void StandardVerifiers::install(VerificationServer& server, const Issuers& issuers) {
  // Request types register here as their readers arrive.
  const auto skiRegistry = issuers.skiRegistry ? issuers.skiRegistry : std::make_shared<SkiKeyRegistry>();
  CardSurfaceVerifier(issuers.cardSurface).install(server);
  ResidenceCardVerifier(issuers.residenceCard).install(server);
  MynaDriverLicenseVerifier(skiRegistry).install(server);
  DriverLicenseVerifier(skiRegistry).install(server);
}

}  // namespace ekyc
