#include "FourInfoConsentRevokeApply/FourInfoConsentRevokeApplySignatureDataGenerator.hpp"

#include "PKI/DigestInfo.hpp"
#include "Platform/Clock.hpp"
#include "Platform/HostCall.hpp"
#include "Utility/Const.hpp"
#include "Utility/ConsentXmlUtility.hpp"

namespace ekyc {

FourInfoConsentRevokeApplySignatureDataGenerator::FourInfoConsentRevokeApplySignatureDataGenerator(
    std::shared_ptr<FourInfoConsentRevokeApplySignatureDataGeneratorDelegate> delegate, ReaderContext context)
    : JpkiSigningFrame(std::move(context)), delegate(std::move(delegate)), hashAlgorithm(Const().SHA256) {}

void FourInfoConsentRevokeApplySignatureDataGenerator::signFourInfoConsentRevokeApply(
    const std::string& serviceId, const std::string& serviceProviderId, const std::string& hashAlgorithm,
    const std::string& otherActionUsedPin) {
  // The date and time of the application: Tokyo time, Gregorian calendar, 24-hour clock.
  const auto clock = platform() && platform()->clock ? platform()->clock : Clock::system();
  const auto now = clock->now();
  const ConsentXmlUtility xml;
  baseXml = xml.createBaseXmlForConsentRevokeApply(Clock::formatTokyo(now, "yyyy/MM/dd"),
                                                   Clock::formatTokyo(now, "HH:mm:ss"), serviceId, serviceProviderId);
  const Utility utility;
  signedInfoXml = xml.createSignedInfoXml(Base64::encode(utility.createDigest(toBytes(*baseXml), hashAlgorithm)));
  if (!utility.isSupportHashAlgorithm(hashAlgorithm)) {
    fail(SignatureDataError::notSupportedHashAlgorithm());
    return;
  }
  this->hashAlgorithm = hashAlgorithm;
  // The card signs the DigestInfo of SignedInfo exactly as it goes into the document.
  digestInfo = DigestInfo(toBytes(*signedInfoXml), hashAlgorithm).create();

  auto self = std::static_pointer_cast<FourInfoConsentRevokeApplySignatureDataGenerator>(shared_from_this());
  const auto preset = otherActionUsedPin.empty() ? std::nullopt : std::optional<std::string>(otherActionUsedPin);
  obtainPin(preset, [self](const std::string& checked) {
    self->pin = upperCased(checked);
    self->beginScan(checked);
  });
}

std::vector<FourInfoConsentRevokeApplySignatureDataGenerator::Step>
FourInfoConsentRevokeApplySignatureDataGenerator::chain() {
  const ConstApduCmd cmd;
  return {
      fixed(cmd.selectPublicCertAid),
      fixed(cmd.selectEf1B),
      verifyStep(),
      fixed(cmd.selectEf1A),
      signStep(digestInfo, signature_),
      fixed(cmd.selectEf01),
      certificateStep(certificate_),
  };
}

void FourInfoConsentRevokeApplySignatureDataGenerator::deliverFailure(const SignatureDataError& error) {
  deliverToHost(delegate, [&](auto& host) { host.didSignFourInfoConsentRevokeApply(std::unexpected(error)); });
}

void FourInfoConsentRevokeApplySignatureDataGenerator::deliverSuccess() {
  const std::string document = ConsentXmlUtility().finalizeConsentXml(
      baseXml.value_or(""), signedInfoXml.value_or(""), Base64::encode(signature_.value_or(Bytes{})),
      Base64::encode(certificate_.value_or(Bytes{})));
  deliverToHost(delegate, [&](auto& host) {
    host.didSignFourInfoConsentRevokeApply(SignatureData(std::nullopt, Base64::encode(toBytes(document))));
  });
}

}  // namespace ekyc
