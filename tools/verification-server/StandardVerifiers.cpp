#include "verification-server/StandardVerifiers.hpp"

#include "verification-server/CardSurfaceVerifier.hpp"
#include "verification-server/ResidenceCardVerifier.hpp"
#include "verification-server/VerificationServer.hpp"

namespace ekyc {

void StandardVerifiers::install(VerificationServer& server) {
  // Request types register here as their readers arrive.
  CardSurfaceVerifier().install(server);
  ResidenceCardVerifier().install(server);
}

}  // namespace ekyc
