#include "verification-server/StandardVerifiers.hpp"

#include "verification-server/VerificationServer.hpp"

namespace ekyc {

void StandardVerifiers::install(VerificationServer& server) {
  // Request types register here as their readers arrive, e.g.
  //   server.addVerifier("mynumber", "21", MyNumberImageVerifier::verify);
  (void)server;
}

}  // namespace ekyc
