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
  // The keys known by subject key identifier, shared by the verifiers of every request type that
  // names its signer by SKI (one registry per process). The stand-in itself knows no card issuer:
  // whoever makes the cards (the tests, the example host) registers their issuers' keys here.
  static std::shared_ptr<SkiKeyRegistry> skiKeys();
};

}  // namespace ekyc
