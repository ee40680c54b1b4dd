#pragma once
// The verifiers the standalone stand-in serves with. Each card reader's verification request type
// registers its verifier here, so the demo's server and the tests' servers check the same way.
namespace ekyc {

class VerificationServer;

class StandardVerifiers {
 public:
  static void install(VerificationServer& server);
};

}  // namespace ekyc
