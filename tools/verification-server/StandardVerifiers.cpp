#include "verification-server/StandardVerifiers.hpp"

#include "Platform/VirtualCard/CardSurfaceKeys.hpp"
#include "verification-server/CardSurfaceVerifier.hpp"
#include "verification-server/VerificationServer.hpp"

namespace ekyc {

StandardVerifiers::Issuers StandardVerifiers::virtualIssuers() {
  Issuers issuers;
  const auto& keys = CardSurfaceKeys::shared();
  issuers.cardSurface = RsaPublicKey::fromModulusExponent(CardSurfaceKeys::modulus(keys.issuer),
                                                          CardSurfaceKeys::publicExponent(keys.issuer));
  return issuers;
}

void StandardVerifiers::install(VerificationServer& server) { install(server, Issuers{}); }

void StandardVerifiers::install(VerificationServer& server, const Issuers& issuers) {
  // Request types register here as their readers arrive.
  CardSurfaceVerifier(issuers.cardSurface).install(server);
}

}  // namespace ekyc
