#include "verification-server/MynaDriverLicenseVerifier.hpp"

#include "verification-server/VerificationServer.hpp"

namespace ekyc {

void MynaDriverLicenseVerifier::install(VerificationServer& server) const {
  server.addVerifier("mynumber", "43", [copy = *this](const VerificationRequest& request) { return copy.verify(request); });
}

}  // namespace ekyc
