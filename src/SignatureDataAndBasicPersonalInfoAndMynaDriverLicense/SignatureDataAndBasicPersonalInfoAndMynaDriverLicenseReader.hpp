#pragma once
// Signs the host's data with the JPKI signature key, takes the four basic items (and the two
// substitute-character position items) from the signing certificate, optionally folding their hash
// into the signed data, and then reads the licence data, all in one NFC session. Two PINs: the
// signing PIN (6 to 16 letters and digits, sent upper-cased) and the 4-digit licence-data PIN;
// their messages carry the labels "電子署名・基本4情報" and "免許情報記録個人番号カード情報". The
// signing PIN is never handed back to the facade: didGetPin("") follows the first command, and
// again a failure of the signing step (never one of the licence step). With an application id the
// licence data is verified ("43") after the session has ended with the success text. A tag that
// is not ISO 7816 is refused at once (13999).
#include <memory>
#include <optional>
#include <string>

#include "BasicPersonalInfo/BasicPersonalInfo.hpp"
#include "Error/SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseError.hpp"
#include "MynaDriverLicense/MynaDriverLicenseStep.hpp"
#include "Sign/JpkiSigningFrame.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMynaDriverLicense/SignatureDataAndBasicPersonalInfoAndMynaDriverLicense.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMynaDriverLicense/SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate.hpp"

namespace ekyc {

class SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader
    : public JpkiSigningFrame<SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseError> {
  using Error = SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseError;

 public:
  std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate> delegate;
  std::optional<std::string> pinMynaDL;
  std::optional<std::string> pinSignCert;
  std::optional<double> httpConnectionTimeOut;
  std::string appId;
  std::optional<Bytes> digestInfo;
  std::optional<int> digestLength;  // the bit length of digestInfo's digest; kept, never read
  std::optional<Bytes> tbsDataBinary;
  std::string hashAlgorithm;
  bool includeBasicPersonalInfo = false;

  SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader(
      std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate> delegate,
      ReaderContext context);

  // With server verification: an absent or empty application id ends the request with 14001.
  void signAndGetBasicPersonalInfoAndFetchMynaDriverLicense(const std::optional<std::string>& tbsDataBase64String,
                                                            const std::string& hashAlgorithm,
                                                            const std::optional<std::string>& appId,
                                                            std::optional<std::string> pinSignCert,
                                                            std::optional<std::string> pinMynaDL,
                                                            bool includeBasicPersonalInfo);
  // The data checks (12003, 12006, 12005), then the signing PIN, then the licence-data PIN (each
  // asked for with its dialog when absent), then the session.
  void signAndGetBasicPersonalInfoAndFetchMynaDriverLicense(const std::optional<std::string>& tbsDataBase64String,
                                                            const std::string& hashAlgorithm,
                                                            std::optional<std::string> pinSignCert,
                                                            std::optional<std::string> pinMynaDL,
                                                            bool includeBasicPersonalInfo);

 protected:
  SetPinKey pinKey() const override { return SetPinKey::MYNUMBERCARD_SIGNER_PIN; }
  std::vector<Step> chain() override;
  void deliverFailure(const Error& error) override;
  void deliverSuccess() override {}
  bool tagRefused(const std::optional<NFCError>& error) override { return refuseTag(error); }

 private:
  // The signing chain with its checks labelled, then the licence step.
  std::vector<ChainStep> chainSteps() override;
  void chainStarted() override;
  void chainFinished() override;
  void chainFailed() override;
  std::optional<Error> keepCertificate(const Bytes& data);
  // digestInfo and digestLength of `data` under hashAlgorithm.
  void keepDigestInfo(const Bytes& data);
  Step markingSigned(Step sign);

  MynaDriverLicenseStep licence_;
  std::optional<Bytes> signatureBinary_;
  std::optional<Bytes> certificateBinary_;
  std::optional<BasicPersonalInfo> basicPersonalInfo_;
  bool signed_ = false;  // the signature is kept: what fails from here on is the licence step's
};

}  // namespace ekyc
