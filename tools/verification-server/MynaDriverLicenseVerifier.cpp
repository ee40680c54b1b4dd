#include "verification-server/MynaDriverLicenseVerifier.hpp"

#include "verification-server/VerificationServer.hpp"

namespace ekyc {

void MynaDriverLicenseVerifier::install(VerificationServer& server) const {
  const MynaDriverLicenseVerifier copy = *this;
  server.addVerifier("mynumber", "43", [copy](const VerificationRequest& request) { return copy.verify(request); });
}

}  // namespace ekyc
