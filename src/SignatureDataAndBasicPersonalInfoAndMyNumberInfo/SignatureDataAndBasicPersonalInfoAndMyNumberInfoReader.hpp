#pragma once
// Signs the host's data with the JPKI signature key, takes the four basic items out of the signing
// certificate (their hash folded into the signed data on request) and, in the same tap, reads the
// individual number over the card-surface and input-support applications (the 12-digit PIN
// verified in each); delivers a SignatureDataAndBasicPersonalInfoAndMyNumberInfo. With an
// application id the individual-number data is verified first (request type "23") while the
// session stays open. One object per request.
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "Error/SignatureDataAndBasicPersonalInfoAndMyNumberInfoError.hpp"
#include "MyNumber/MyNumberInfoSources.hpp"
#include "Sign/SignAndReadFrame.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMyNumberInfo/SignatureDataAndBasicPersonalInfoAndMyNumberInfo.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMyNumberInfo/SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate.hpp"

namespace ekyc {

class SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader
    : public SignAndReadFrame<SignatureDataAndBasicPersonalInfoAndMyNumberInfoError>,
      public MyNumberInfoSources {
 public:
  std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate> delegate;
  std::optional<BasicPersonalInfo> basicPersonalInfo;
  std::optional<std::chrono::system_clock::time_point> startDate;  // stays absent: nothing sets or reads it

  SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader(
      std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate> delegate, ReaderContext context);

  // The request with verification: an absent or empty id gives notSetAppId (14001).
  void signAndFetchMyNumberInfoAndFetchMyNumber(const std::optional<std::string>& tbsDataBase64String,
                                                const std::string& hashAlgorithm,
                                                std::optional<std::string> pinForSigner,
                                                std::optional<std::string> pinMyNumber, bool includeBasicPersonalInfo,
                                                std::optional<std::string> appId);
  // The request without verification.
  void signAndFetchMyNumberInfoAndFetchMyNumber(const std::optional<std::string>& tbsDataBase64String,
                                                const std::string& hashAlgorithm,
                                                std::optional<std::string> pinForSigner,
                                                std::optional<std::string> pinMyNumber, bool includeBasicPersonalInfo);

  // The individual-number verification request "21", "22" or "23"; true when the server answered
  // valid, otherwise the failure has been delivered (99999 for another type).
  bool request(const std::string& reqType);

 protected:
  std::vector<Step> chain() override;
  void finish() override;
  void deliverFailure(const SignatureDataAndBasicPersonalInfoAndMyNumberInfoError& error) override;
};

}  // namespace ekyc
