#pragma once
// Signs base64 data from the host with the JPKI signature key and, in the same tap, takes the four
// basic items and the two substitute-character position items out of the signature certificate.
// On request the hash of the four items is folded into the signed data. One object per request.
#include <memory>
#include <optional>
#include <string>

#include "BasicPersonalInfo/BasicPersonalInfo.hpp"
#include "Error/SignatureDataAndBasicPersonalInfoError.hpp"
#include "Sign/JpkiSigningFrame.hpp"
#include "SignatureDataAndBasicPersonalInfo/SignatureDataAndBasicPersonalInfo.hpp"
#include "SignatureDataAndBasicPersonalInfo/SignatureDataAndBasicPersonalInfoGeneratorDelegate.hpp"

namespace ekyc {

class SignatureDataAndBasicPersonalInfoGenerator : public JpkiSigningFrame<SignatureDataAndBasicPersonalInfoError> {
 public:
  SignatureDataAndBasicPersonalInfoGenerator(std::shared_ptr<SignatureDataAndBasicPersonalInfoGeneratorDelegate> delegate,
                                             ReaderContext context);

  std::shared_ptr<SignatureDataAndBasicPersonalInfoGeneratorDelegate> delegate;
  std::optional<std::string> pin;
  std::optional<Bytes> digestInfo;
  std::optional<Bytes> signatureBinary;
  std::optional<Bytes> certificateBinary;
  std::optional<Bytes> tbsDataBinary;
  std::string hashAlgorithm;
  bool includeBasicPersonalInfo = false;

  // Starts the request and returns; the outcome arrives through didSignAndGetBasicPersonalInfo.
  // An empty otherActionUsedPin has the PIN dialog ask.
  void signAndGetBasicPersonalInfo(const std::optional<std::string>& tbsDataBase64String,
                                   const std::string& hashAlgorithm, const std::string& otherActionUsedPin,
                                   bool includeBasicPersonalInfo);

  // The items of a signature certificate file (READ BINARY answer) as the record, or the failure:
  // 17000 with the mask of missing items, 99999 for a file without a certificate, an empty
  // date-of-birth item.
  static std::expected<BasicPersonalInfo, SignatureDataAndBasicPersonalInfoError> readBasicPersonalInfo(
      const Bytes& certificateFile);

  // The data to sign with the basic items folded in: the digest of `tbsData` under the hash name,
  // followed by the items' SHA-256 hash; absent when the items have no hash.
  static std::optional<Bytes> foldBasicPersonalInfo(const Bytes& tbsData, const std::string& hashAlgorithm,
                                                    const BasicPersonalInfo& basicPersonalInfo);

 protected:
  SetPinKey pinKey() const override { return SetPinKey::MYNUMBERCARD_SIGNER_PIN; }
  std::vector<Step> chain() override;
  void deliverFailure(const SignatureDataAndBasicPersonalInfoError& error) override;
  void deliverSuccess() override;
  std::string pinHandedBack() const override { return scanPin().value_or(""); }

 private:
  std::optional<SignatureDataAndBasicPersonalInfoError> keepCertificate(const Bytes& data);

  std::optional<BasicPersonalInfo> basicPersonalInfo_;
};

}  // namespace ekyc
