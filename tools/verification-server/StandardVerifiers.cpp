#include "verification-server/StandardVerifiers.hpp"

#include <memory>

#include "Platform/VirtualCard/MynaDriverLicenseApplication.hpp"
#include "verification-server/CardSurfaceVerifier.hpp"
#include "verification-server/MynaDriverLicenseVerifier.hpp"
#include "verification-server/SkiKeyRegistry.hpp"
#include "verification-server/ResidenceCardVerifier.hpp"
#include "verification-server/VerificationServer.hpp"

namespace ekyc {

std::shared_ptr<SkiKeyRegistry> StandardVerifiers::skiKeys() {
  // The issuer keys of the virtual cards, known by their SKI.
  static const std::shared_ptr<SkiKeyRegistry> registry = [] {
    auto keys = std::make_shared<SkiKeyRegistry>();
    const auto& licence = MynaDriverLicenseApplication::issuer();
    if (auto key = RsaPublicKey::fromSubjectPublicKeyInfo(licence.subjectPublicKeyInfo)) keys->add(licence.ski, *key);
    return keys;
  }();
  return registry;
}

void StandardVerifiers::install(VerificationServer& server) {
  // Request types register here as their readers arrive.
  CardSurfaceVerifier().install(server);
  MynaDriverLicenseVerifier(skiKeys()).install(server);
  ResidenceCardVerifier().install(server);
}

}  // namespace ekyc
