#pragma once
// Signs the application to revoke the consent to providing the four basic items to a service: an
// XML document with the service's ids and the date and time (Tokyo), signed with the JPKI
// signature key as an enveloped XML signature, returned in base64. One object per request.
#include <memory>
#include <optional>
#include <string>

#include "Error/SignatureDataError.hpp"
#include "Sign/SignatureData.hpp"
#include "FourInfoConsentRevokeApply/FourInfoConsentRevokeApplySignatureDataGeneratorDelegate.hpp"
#include "Sign/JpkiSigningFrame.hpp"

namespace ekyc {

class FourInfoConsentRevokeApplySignatureDataGenerator : public JpkiSigningFrame<SignatureDataError> {
 public:
  FourInfoConsentRevokeApplySignatureDataGenerator(
      std::shared_ptr<FourInfoConsentRevokeApplySignatureDataGeneratorDelegate> delegate, ReaderContext context);

  std::shared_ptr<FourInfoConsentRevokeApplySignatureDataGeneratorDelegate> delegate;
  std::optional<Bytes> digestInfo;
  std::optional<std::string> baseXml;
  std::optional<std::string> signedInfoXml;
  std::string hashAlgorithm;
  std::optional<std::string> pin;

  // Starts the request and returns; the outcome arrives through didSignFourInfoConsentRevokeApply.
  // The document is built first; an empty otherActionUsedPin has the PIN dialog ask.
  void signFourInfoConsentRevokeApply(const std::string& serviceId, const std::string& serviceProviderId,
                                      const std::string& hashAlgorithm, const std::string& otherActionUsedPin);

  static std::string booleanToString(bool value) { return value ? "1" : "0"; }

 protected:
  SetPinKey pinKey() const override { return SetPinKey::MYNUMBERCARD_SIGNER_PIN; }
  std::vector<Step> chain() override;
  void deliverFailure(const SignatureDataError& error) override;
  void deliverSuccess() override;
  // The facade lets go of the generator as soon as the chain runs.
  void chainStarted() override { ReaderSupport::didGetPin(idetifyDelegate, ""); }

 private:
  std::optional<Bytes> signature_;
  std::optional<Bytes> certificate_;
};

}  // namespace ekyc
