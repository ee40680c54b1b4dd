#pragma once
// Signs base64 data from the host with the JPKI user-authentication key and returns the signature
// with the user-authentication certificate and the signed data. One object per request.
#include <memory>
#include <optional>
#include <string>

#include "Auth/AuthSignatureDataGeneratorDelegate.hpp"
#include "Error/SignatureDataError.hpp"
#include "Sign/SignatureData.hpp"
#include "Sign/JpkiSigningFrame.hpp"

namespace ekyc {

class AuthSignatureDataGenerator : public JpkiSigningFrame<SignatureDataError> {
 public:
  AuthSignatureDataGenerator(std::shared_ptr<AuthSignatureDataGeneratorDelegate> delegate, ReaderContext context);

  std::shared_ptr<AuthSignatureDataGeneratorDelegate> delegate;
  std::optional<Bytes> digestInfo;
  std::optional<Bytes> signatureBinary;
  std::optional<Bytes> certificateBinary;
  std::optional<Bytes> tbsDataBinary;
  std::string hashAlgorithm;
  std::optional<std::string> pinUserCert;

  // Starts the request and returns; the outcome arrives through didAuth. A present PIN (even
  // empty) is checked as it is; an absent one is asked for in the PIN dialog.
  void auth(const std::optional<std::string>& tbsDataBase64String, const std::string& hashAlgorithm,
            const std::optional<std::string>& pinUserCert);

 protected:
  SetPinKey pinKey() const override { return SetPinKey::MYNUMBERCARD_USERCERT_PIN; }
  std::vector<Step> chain() override;
  void deliverFailure(const SignatureDataError& error) override;
  void deliverSuccess() override;
};

}  // namespace ekyc
