#pragma once
// The verifiers the standalone stand-in serves with. Each card reader's verification request type
// registers its verifier here, so the demo's server and the tests' servers check the same way.
#include <memory>
#include <optional>

#include "Extension/Bytes.hpp"
#include "verification-server/RsaPublicKey.hpp"

namespace ekyc {

class SkiKeyRegistry;
class VerificationServer;

class StandardVerifiers {
 public:
  // The issuers the stand-in trusts. Without one, a card-surface or residence card is checked only
  // against the key it carries (any self-consistent card passes); the SKI-named requests (the
  // driving licence, the licence data on the Individual Number Card) find their keys in
  // `skiRegistry` (none without one). The virtual cards'
  // issuers: VirtualIssuers.hpp (for hosts that link the virtual cards); keys from PEM files for
  // the program.
  struct Issuers {
    std::optional<RsaPublicKey> cardSurface;
    std::optional<Bytes> residenceCard;  // the issuer's certificate that a card's must be
    std::shared_ptr<SkiKeyRegistry> skiRegistry;
  };
  static void install(VerificationServer& server);
  static void install(VerificationServer& server, std::shared_ptr<SkiKeyRegistry> skiRegistry);
  static void install(VerificationServer& server, const Issuers& issuers);
};

}  // namespace ekyc
