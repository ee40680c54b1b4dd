#pragma once
// Signs the host's data with the JPKI signature key, takes the four basic items out of the signing
// certificate (their hash folded into the signed data on request) and, in the same tap, reads the
// four files of the input-support application (4-digit PIN); delivers a
// SignatureDataAndBasicPersonalInfoAndPromptedPii. The session ends with the success text once the
// card has been read; with an application id the input-support data is then verified (request type
// "32") and a refusal reaches the host as the one failure of the request. One object per request.
#include <memory>
#include <optional>
#include <string>

#include "Error/SignatureDataAndBasicPersonalInfoAndPromptedPiiError.hpp"
#include "Sign/SignAndReadFrame.hpp"
#include "SignatureDataAndBasicPersonalInfoAndPromptedPii/SignatureDataAndBasicPersonalInfoAndPromptedPii.hpp"
#include "SignatureDataAndBasicPersonalInfoAndPromptedPii/SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate.hpp"

namespace ekyc {

class SignatureDataAndBasicPersonalInfoAndPromptedPiiReader
    : public SignAndReadFrame<SignatureDataAndBasicPersonalInfoAndPromptedPiiError> {
 public:
  std::shared_ptr<SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate> delegate;
  std::optional<BasicPersonalInfo> basicPersonalInfo;
  std::optional<PromptedPii> promptedPii;
  std::optional<std::string> pinPromptedPii;  // the 4-digit input-support PIN (EF 0011)
  Bytes myNumberRawData;                      // input-support EF 0001 as read
  Bytes personalInfoRawData;                  // input-support EF 0002 as read
  Bytes signatureRawData;                     // input-support EF 0003 as read
  Bytes publicKeyCertRawData;                 // input-support EF 0004 as read

  SignatureDataAndBasicPersonalInfoAndPromptedPiiReader(
      std::shared_ptr<SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate> delegate, ReaderContext context);

  // The request with verification: an absent or empty id gives notSetAppId (14001).
  void signAndGetBasicPersonalInfoAndFetchPromptedPii(const std::optional<std::string>& tbsDataBase64String,
                                                      const std::string& hashAlgorithm,
                                                      std::optional<std::string> pinForSigner,
                                                      std::optional<std::string> pinPromptedPii,
                                                      bool includeBasicPersonalInfo, std::optional<std::string> appId);
  // The request without verification.
  void signAndGetBasicPersonalInfoAndFetchPromptedPii(const std::optional<std::string>& tbsDataBase64String,
                                                      const std::string& hashAlgorithm,
                                                      std::optional<std::string> pinForSigner,
                                                      std::optional<std::string> pinPromptedPii,
                                                      bool includeBasicPersonalInfo);

  // The verification request of the record's whole scope with the type given (the reader asks for
  // "32"; 18001 carries "券面事項入力補助情報"); true when the server answered valid, otherwise the
  // failure has been delivered.
  bool request(const std::string& reqType, const PromptedPii& promptedPii);

 protected:
  std::vector<Step> chain() override;
  void finish() override;
  void deliverFailure(const SignatureDataAndBasicPersonalInfoAndPromptedPiiError& error) override;
};

}  // namespace ekyc
