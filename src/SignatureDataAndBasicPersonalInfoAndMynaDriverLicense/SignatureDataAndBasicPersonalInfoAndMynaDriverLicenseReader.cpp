#include "SignatureDataAndBasicPersonalInfoAndMynaDriverLicense/SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader.hpp"

#include "PKI/DigestInfo.hpp"
#include "Platform/HostCall.hpp"
#include "SignatureDataAndBasicPersonalInfo/SignatureDataAndBasicPersonalInfoGenerator.hpp"
#include "Utility/Const.hpp"

namespace ekyc {

using Reader = SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader;
using Error = SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseError;

Reader::SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader(
    std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate> delegate_,
    ReaderContext context)
    : JpkiSigningFrame(context),
      delegate(std::move(delegate_)),
      httpConnectionTimeOut(context.httpConnectionTimeOut),
      hashAlgorithm(Const().SHA256) {}

void Reader::signAndGetBasicPersonalInfoAndFetchMynaDriverLicense(
    const std::optional<std::string>& tbsDataBase64String, const std::string& hash,
    const std::optional<std::string>& id, std::optional<std::string> signPin, std::optional<std::string> licencePin,
    bool include) {
  if (!id || id->empty()) {
    fail(Error::notSetAppId());
    return;
  }
  appId = *id;
  signAndGetBasicPersonalInfoAndFetchMynaDriverLicense(tbsDataBase64String, hash, std::move(signPin),
                                                       std::move(licencePin), include);
}

void Reader::signAndGetBasicPersonalInfoAndFetchMynaDriverLicense(const std::optional<std::string>& tbsDataBase64String,
                                                                  const std::string& hash,
                                                                  std::optional<std::string> signPin,
                                                                  std::optional<std::string> licencePin,
                                                                  bool include) {
  Bytes decoded;
  const auto failure = checkTbsData(tbsDataBase64String, hash, decoded);
  if (failure && failure->errorCode != Error::notSupportedHashAlgorithm().errorCode) {
    fail(*failure);
    return;
  }
  tbsDataBinary = decoded;  // kept also when the hash name is refused
  if (failure) {
    fail(*failure);
    return;
  }
  hashAlgorithm = hash;
  keepDigestInfo(decoded);
  includeBasicPersonalInfo = include;
  pinSignCert = std::move(signPin);
  pinMynaDL = std::move(licencePin);
  const Const c;
  obtainPins({{SetPinKey::MYNUMBERCARD_SIGNER_PIN, &pinSignCert, c.SIGNATURE_DATA_AND_BASIC_PERSONAL_INFO},
              {SetPinKey::MYNA_DRIVERLICENSE_PIN, &pinMynaDL, c.MYNA_DRIVERLICENSE}},
             [this] { beginScan(*pinSignCert); });
}

std::vector<Reader::Step> Reader::chain() {
  const ConstApduCmd cmd;
  return {
      fixed(cmd.selectPublicCertAid),
      fixed(cmd.selectEf1B),
      verifyStep(),
      fixed(cmd.selectEf01),
      {readCertificateCommand, [this](const Bytes& data) { return keepCertificate(data); }},
      fixed(cmd.selectEf1A),
      markingSigned(signStep(digestInfo, signatureBinary_)),
  };
}

// The signature step, marking the signing step done once the signature has been kept.
Reader::Step Reader::markingSigned(Step sign) {
  return {std::move(sign.command), [this, keep = std::move(sign.keep)](const Bytes& data) {
            auto failure = keep(data);
            signed_ = !failure;
            return failure;
          }};
}

std::vector<Reader::ChainStep> Reader::chainSteps() {
  const Const c;
  std::vector<ChainStep> steps;
  for (auto& step : chain()) {
    steps.push_back({std::move(step.command), SetPinKey::MYNUMBERCARD_SIGNER_PIN,
                     c.SIGNATURE_DATA_AND_BASIC_PERSONAL_INFO, std::move(step.keep)});
  }
  for (auto& step : licence_.steps<ChainStep>(pinMynaDL, c.MYNA_DRIVERLICENSE)) steps.push_back(std::move(step));
  return steps;
}

std::optional<Error> Reader::keepCertificate(const Bytes& data) {
  using Generator = SignatureDataAndBasicPersonalInfoGenerator;
  auto info = Generator::readBasicPersonalInfo(data);
  if (!info) {
    const auto mask = info.error().intErrFlag;
    if (info.error().errorCode != Error::failReadBasicPersonalInfo().errorCode || !mask) return Error::unknown();
    // The labels of the missing items in table order, "、" only between two of them.
    return Error::failReadBasicPersonalInfo(ReaderSupport::missingBasicItems(*mask));
  }
  certificateBinary_ = certificateElement(data);
  if (includeBasicPersonalInfo) {
    tbsDataBinary = tbsDataBinary ? Generator::foldBasicPersonalInfo(*tbsDataBinary, hashAlgorithm, *info) : std::nullopt;
  }
  if (!tbsDataBinary) return Error::unknown();
  keepDigestInfo(*tbsDataBinary);
  basicPersonalInfo_ = std::move(*info);
  return std::nullopt;
}

void Reader::keepDigestInfo(const Bytes& data) {
  const DigestInfo info(data, hashAlgorithm);
  digestInfo = info.create();
  digestLength = info.getDigestBitLength();
}

// The back channel lets go as soon as the first command is on its way; the signing PIN stays here.
void Reader::chainStarted() { ReaderSupport::didGetPin(idetifyDelegate, ""); }

// A failure of the signing step lets the back channel go once more (its PIN store is cleared of
// what the host set meanwhile); one of the licence step does not.
void Reader::chainFailed() {
  if (!signed_) ReaderSupport::didGetPin(idetifyDelegate, "");
  endWithError();
}

void Reader::chainFinished() {
  const auto record = licence_.record();
  MynaDriverLicenseStep::finish<Error>(
      record, {platform(), httpConnectionTimeOut, appId}, [this] { endWithSuccess(); }, [this] { endWithError(); },
      [this](const Error& e) { deliverFailure(e); },
      [&] {
        deliverToHost(delegate, [&](auto& host) {
          const SignatureData signatureData(signatureBinary_, certificateBinary_, tbsDataBinary,
                                            Utility().getHashAlgorithm(hashAlgorithm));
          host.didSignAndGetBasicPersonalInfoAndGetMynaDriverLicense(
              SignatureDataAndBasicPersonalInfoAndMynaDriverLicense(signatureData, basicPersonalInfo_, record));
        });
      });
}

void Reader::deliverFailure(const Error& error) {
  deliverToHost(delegate, [&](auto& host) {
    host.didSignAndGetBasicPersonalInfoAndGetMynaDriverLicense(std::unexpected(error));
  });
}

}  // namespace ekyc
