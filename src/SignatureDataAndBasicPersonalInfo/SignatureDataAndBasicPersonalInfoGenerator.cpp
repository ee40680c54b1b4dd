#include "SignatureDataAndBasicPersonalInfo/SignatureDataAndBasicPersonalInfoGenerator.hpp"

#include "PKI/Certificate.hpp"
#include "PKI/DigestInfo.hpp"
#include "Platform/HostCall.hpp"
#include "Utility/Const.hpp"
#include "Utility/ConstResult.hpp"

namespace ekyc {

using Error = SignatureDataAndBasicPersonalInfoError;

SignatureDataAndBasicPersonalInfoGenerator::SignatureDataAndBasicPersonalInfoGenerator(
    std::shared_ptr<SignatureDataAndBasicPersonalInfoGeneratorDelegate> delegate, ReaderContext context)
    : JpkiSigningFrame(std::move(context)), delegate(std::move(delegate)), hashAlgorithm(Const().SHA256) {}

void SignatureDataAndBasicPersonalInfoGenerator::signAndGetBasicPersonalInfo(
    const std::optional<std::string>& tbsDataBase64String, const std::string& hashAlgorithm,
    const std::string& otherActionUsedPin, bool includeBasicPersonalInfo) {
  this->includeBasicPersonalInfo = includeBasicPersonalInfo;
  const auto preset = otherActionUsedPin.empty() ? std::nullopt : std::optional<std::string>(otherActionUsedPin);
  signAfterPin(preset, tbsDataBase64String, hashAlgorithm, tbsDataBinary, this->hashAlgorithm, digestInfo, pin);
}

std::vector<SignatureDataAndBasicPersonalInfoGenerator::Step> SignatureDataAndBasicPersonalInfoGenerator::chain() {
  const ConstApduCmd cmd;
  // The certificate is read before the signing key is used: a certificate that lacks an item ends
  // the request without a signature.
  return {
      fixed(cmd.selectPublicCertAid),
      fixed(cmd.selectEf1B),
      verifyStep(),
      fixed(cmd.selectEf01),
      {readCertificateCommand, [this](const Bytes& data) { return keepCertificate(data); }},
      fixed(cmd.selectEf1A),
      signStep(digestInfo, signatureBinary),
  };
}

std::expected<BasicPersonalInfo, Error> SignatureDataAndBasicPersonalInfoGenerator::readBasicPersonalInfo(
    const Bytes& certificateFile) {
  if (!certificateElement(certificateFile)) return std::unexpected(Error::unknown());
  const Certificate certificate;
  const auto item = [&](const std::string& oid) { return certificate.getSubjectAltNameCont(certificateFile, oid); };
  const auto name = item(certificate.OID_COMMON_NAME);
  const auto gender = item(certificate.OID_GENDER);
  const auto dateOfBirth = item(certificate.OID_DATE_OF_BIRTH);
  const auto address = item(certificate.OID_ADDRESS);
  const auto nameSubChar = item(certificate.OID_SUB_STITUTE_CHARACTER_OF_COMMON_NAME);
  const auto addressSubChar = item(certificate.OID_SUB_STITUTE_CHARACTER_OF_ADDRESS);

  // Missing items: a bit and a label each; every label but the name's is preceded by "、".
  const ConstResult texts;
  int mask = 0;
  std::string labels;
  const std::pair<const std::optional<Bytes>*, int> items[] = {{&name, 1},        {&gender, 2},      {&dateOfBirth, 4},
                                                               {&address, 8},     {&nameSubChar, 16}, {&addressSubChar, 32}};
  for (const auto& [value, bit] : items) {
    if (*value) continue;
    mask |= bit;
    if (bit != 1) labels += "、";
    labels += texts.constResult.at(17000 + bit);
  }

  std::optional<Bytes> yearNumber;
  std::optional<Bytes> birth;
  if (dateOfBirth) {
    if (dateOfBirth->empty()) return std::unexpected(Error::unknown());
    yearNumber = Bytes{dateOfBirth->front()};
    birth = Bytes(dateOfBirth->begin() + 1, dateOfBirth->end());
  }
  if (mask != 0) {
    ErrorDetail detail;
    detail.suffix = labels;
    detail.intErrFlag = mask;
    return std::unexpected(Error::failReadBasicPersonalInfo(detail));
  }

  const Const c;
  const Utility utility;
  // A "［" without a "］" after it is no previous name: the whole name is the common name.
  const auto previousName = utility.fetchPreviousName(*name, c.COMMON_BRACKET_LEFT, c.COMMON_BRACKET_RIGHT);
  const bool includePreviousName = utility.isIncludePreviousName(*name, c.COMMON_BRACKET_LEFT) && previousName;
  std::optional<Bytes> commonName = name;
  std::optional<Bytes> subCharOfCommonName = nameSubChar;
  std::optional<Bytes> subCharOfPreviousName;
  if (includePreviousName) {
    subCharOfPreviousName = utility.fetchIndexesOfSubCharInPreviousName(*name, *nameSubChar, c.COMMON_BRACKET_LEFT,
                                                                         c.COMMON_BRACKET_RIGHT);
    subCharOfCommonName = utility.fetchIndexesOfSubCharInCommonName(*name, *nameSubChar, c.COMMON_BRACKET_LEFT,
                                                                    c.COMMON_BRACKET_RIGHT);
    commonName = utility.fetchCommonName(*name, c.COMMON_BRACKET_LEFT, c.COMMON_BRACKET_RIGHT);
  }
  return BasicPersonalInfo(name, commonName, includePreviousName, previousName, gender, birth, address, nameSubChar,
                           subCharOfCommonName, subCharOfPreviousName, addressSubChar, yearNumber);
}

std::optional<Bytes> SignatureDataAndBasicPersonalInfoGenerator::foldBasicPersonalInfo(
    const Bytes& tbsData, const std::string& hashAlgorithm, const BasicPersonalInfo& basicPersonalInfo) {
  const auto hash = basicPersonalInfo.getBasicPersonalInfoHash();
  const auto itemsHash = hash ? Base64::decode(*hash) : std::nullopt;
  if (!itemsHash) return std::nullopt;
  Bytes folded = Utility().createDigest(tbsData, hashAlgorithm);
  folded.insert(folded.end(), itemsHash->begin(), itemsHash->end());
  return folded;
}

std::optional<Error> SignatureDataAndBasicPersonalInfoGenerator::keepCertificate(const Bytes& data) {
  certificateBinary = certificateElement(data);
  if (!certificateBinary) return Error::unknown();
  if (auto failure = certificateFailure(*certificateBinary)) return failure;
  auto info = readBasicPersonalInfo(data);
  if (!info) return info.error();
  if (includeBasicPersonalInfo) {
    auto folded = tbsDataBinary ? foldBasicPersonalInfo(*tbsDataBinary, hashAlgorithm, *info) : std::nullopt;
    if (!folded) return Error::unknown();
    tbsDataBinary = std::move(folded);
  }
  if (!tbsDataBinary) return Error::unknown();
  digestInfo = DigestInfo(*tbsDataBinary, hashAlgorithm).create();
  basicPersonalInfo_ = std::move(*info);
  return std::nullopt;
}

void SignatureDataAndBasicPersonalInfoGenerator::deliverFailure(const Error& error) {
  deliverToHost(delegate, [&](auto& host) { host.didSignAndGetBasicPersonalInfo(std::unexpected(error)); });
}

void SignatureDataAndBasicPersonalInfoGenerator::deliverSuccess() {
  deliverToHost(delegate, [&](auto& host) {
    host.didSignAndGetBasicPersonalInfo(SignatureDataAndBasicPersonalInfo(
        SignatureData(signatureBinary, certificateBinary, tbsDataBinary, Utility().getHashAlgorithm(hashAlgorithm)),
        basicPersonalInfo_));
  });
}

}  // namespace ekyc
