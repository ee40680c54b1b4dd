#pragma once
// Signs the host's data with the JPKI signature key and, in the same tap, reads the individual
// number over the card-surface and input-support applications (the 12-digit PIN verified in each),
// and delivers a SignatureDataAndMyNumberInfo. With an application id the individual-number data is
// verified first (request type "23") while the session stays open. One object per request.
#include <memory>
#include <optional>
#include <string>

#include "Error/SignatureDataAndMyNumberInfoError.hpp"
#include "MyNumber/MyNumberInfoSources.hpp"
#include "Sign/SignAndReadFrame.hpp"
#include "SignatureDataAndMyNumberInfo/SignatureDataAndMyNumberInfo.hpp"
#include "SignatureDataAndMyNumberInfo/SignatureDataAndMyNumberInfoReaderDelegate.hpp"

namespace ekyc {

class SignatureDataAndMyNumberInfoReader : public SignAndReadFrame<SignatureDataAndMyNumberInfoError>,
                                           public MyNumberInfoSources {
 public:
  std::shared_ptr<SignatureDataAndMyNumberInfoReaderDelegate> delegate;

  SignatureDataAndMyNumberInfoReader(std::shared_ptr<SignatureDataAndMyNumberInfoReaderDelegate> delegate,
                                     ReaderContext context);

  // The request with verification: an absent or empty id gives notSetAppId (14001).
  void signAndFetchMyNumber(const std::optional<std::string>& tbsDataBase64String, const std::string& hashAlgorithm,
                            std::optional<std::string> pinForSigner, std::optional<std::string> pinMyNumber,
                            std::optional<std::string> appId);
  // The request without verification.
  void signAndFetchMyNumber(const std::optional<std::string>& tbsDataBase64String, const std::string& hashAlgorithm,
                            std::optional<std::string> pinForSigner, std::optional<std::string> pinMyNumber);

  // The individual-number verification request "21", "22" or "23"; true when the server answered
  // valid, otherwise the failure has been delivered (99999 for another type).
  bool request(const std::string& reqType);

 protected:
  std::vector<Step> chain() override;
  void finish() override;
  void deliverFailure(const SignatureDataAndMyNumberInfoError& error) override;
};

}  // namespace ekyc
