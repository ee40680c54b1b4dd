#pragma once
// The verifiers the standalone stand-in serves with. Each card reader's verification request type
// registers its verifier here, so the demo's server and the tests' servers check the same way.
#include <memory>

namespace ekyc {

class VerificationServer;
class SkiKeyRegistry;

class StandardVerifiers {
 public:
  // With the standard SKI registry, or the one given (the program adds the keys it is told of).
  static void install(VerificationServer& server);
  static void install(VerificationServer& server, std::shared_ptr<SkiKeyRegistry> skiRegistry);
  // A registry of the keys known by SKI (the virtual cards' issuers), for the SKI-named requests.
  static std::shared_ptr<SkiKeyRegistry> standardSkiRegistry();
};

}  // namespace ekyc
