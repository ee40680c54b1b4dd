#pragma once
// The issuers of the virtual cards, for a stand-in that checks them (the example host, the tests):
// a card that another issuer signed gets "valid": false. Header-only, since the stand-in's library
// does not link the virtual cards; their keys are made on first use.
#include "Platform/VirtualCard/CardSurfaceKeys.hpp"
#include "Platform/VirtualCard/VirtualResidenceCard.hpp"
#include "verification-server/StandardVerifiers.hpp"

namespace ekyc {

inline StandardVerifiers::Issuers virtualIssuers() {
  StandardVerifiers::Issuers issuers;
  const auto& keys = CardSurfaceKeys::shared();
  issuers.cardSurface = RsaPublicKey::fromModulusExponent(CardSurfaceKeys::modulus(keys.issuer),
                                                          CardSurfaceKeys::publicExponent(keys.issuer));
  issuers.residenceCard = VirtualResidenceCard::issuerCertificate();
  return issuers;
}

}  // namespace ekyc
