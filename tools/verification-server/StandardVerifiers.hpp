#pragma once
// The verifiers the standalone stand-in serves with. Each card reader's verification request type
// registers its verifier here, so the demo's server and the tests' servers check the same way.
#include <optional>

#include "Extension/Bytes.hpp"
#include "verification-server/RsaPublicKey.hpp"

namespace ekyc {

class VerificationServer;

class StandardVerifiers {
 public:
  // The issuers whose keys must have signed the cards' certificate records; without one, a card's
  // records are checked only against the key they carry (any self-consistent card passes).
  struct Issuers {
    std::optional<RsaPublicKey> cardSurface;
    std::optional<Bytes> residenceCard;  // the issuer's certificate that a card's must be
  };
  // The issuers of the virtual cards: VirtualIssuers.hpp (for hosts that link the virtual cards).
  static void install(VerificationServer& server);
  static void install(VerificationServer& server, const Issuers& issuers);
};

}  // namespace ekyc
