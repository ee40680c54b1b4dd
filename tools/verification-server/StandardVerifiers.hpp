#pragma once
// The verifiers the standalone stand-in serves with. Each card reader's verification request type
// registers its verifier here, so the demo's server and the tests' servers check the same way.
#include <memory>

namespace ekyc {

class VerificationServer;
class SkiKeyRegistry;

class StandardVerifiers {
 public:
  // The SKI-named requests (the driving licence) find their keys in `skiRegistry` (none without
  // one): whoever starts the stand-in registers the issuers it trusts (the virtual cards' issuer
  // for the demo and the tests, keys from PEM files for the program).
  static void install(VerificationServer& server);
  static void install(VerificationServer& server, std::shared_ptr<SkiKeyRegistry> skiRegistry);
};

}  // namespace ekyc
