#pragma once
// The issuers of the virtual cards, for a stand-in that checks them (the example host, the tests):
// a card that another issuer signed gets "valid": false. Header-only, since the stand-in's library
// does not link the virtual cards; their keys are made on first use.
#include <memory>

#include "Platform/VirtualCard/CardSurfaceKeys.hpp"
#include "Platform/VirtualCard/MynaDriverLicenseApplication.hpp"
#include "Platform/VirtualCard/VirtualDriverLicense.hpp"
#include "Platform/VirtualCard/VirtualResidenceCard.hpp"
#include "verification-server/SkiKeyRegistry.hpp"
#include "verification-server/StandardVerifiers.hpp"

namespace ekyc {

// The SKI registry holding the virtual licence issuers' keys (IC driving licence, licence data on
// the Individual Number Card).
inline std::shared_ptr<SkiKeyRegistry> virtualLicenceIssuers() {
  auto registry = std::make_shared<SkiKeyRegistry>();
  for (const Bytes& issuer :
       {VirtualDriverLicense::issuerPublicKeyInfo(), MynaDriverLicenseApplication::issuer().subjectPublicKeyInfo}) {
    if (auto key = RsaPublicKey::fromSubjectPublicKeyInfo(issuer)) registry->add(std::move(*key));
  }
  return registry;
}

inline StandardVerifiers::Issuers virtualIssuers() {
  StandardVerifiers::Issuers issuers;
  const auto& keys = CardSurfaceKeys::shared();
  issuers.cardSurface = RsaPublicKey::fromModulusExponent(CardSurfaceKeys::modulus(keys.issuer),
                                                          CardSurfaceKeys::publicExponent(keys.issuer));
  issuers.residenceCard = VirtualResidenceCard::issuerCertificate();
  issuers.skiRegistry = virtualLicenceIssuers();
  return issuers;
}

}  // namespace ekyc
