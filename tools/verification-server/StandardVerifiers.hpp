#pragma once
// The verifiers the standalone stand-in serves with. Each card reader's verification request type
// registers its verifier here, so the demo's server and the tests' servers check the same way.
#include <memory>

namespace ekyc {

class SkiKeyRegistry;
class VerificationServer;

class StandardVerifiers {
 public:
  static void install(VerificationServer& server);
  // The keys known by subject key identifier (the virtual cards' issuers), shared by the verifiers
  // of every request type that names its signer by SKI; a test may add keys.
  static std::shared_ptr<SkiKeyRegistry> skiKeys();
};

}  // namespace ekyc
