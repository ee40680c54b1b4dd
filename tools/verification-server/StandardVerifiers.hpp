#pragma once
// The verifiers the standalone stand-in serves with. Each card reader's verification request type
// registers its verifier here, so the demo's server and the tests' servers check the same way.
#include <optional>

#include "verification-server/RsaPublicKey.hpp"

namespace ekyc {

class VerificationServer;

class StandardVerifiers {
 public:
  // The issuers whose keys must have signed the cards' certificate records; without one, a card's
  // records are checked only against the key they carry (any self-consistent card passes).
  struct Issuers {
    std::optional<RsaPublicKey> cardSurface;
  };
  // The issuers of the virtual cards (their keys are made on first use).
  static Issuers virtualIssuers();
  static void install(VerificationServer& server);
  static void install(VerificationServer& server, const Issuers& issuers);
};

}  // namespace ekyc
