#include "Auth/AuthSignatureDataGenerator.hpp"

#include "Platform/HostCall.hpp"
#include "Utility/Const.hpp"

namespace ekyc {

AuthSignatureDataGenerator::AuthSignatureDataGenerator(std::shared_ptr<AuthSignatureDataGeneratorDelegate> delegate,
                                                       ReaderContext context)
    : JpkiSigningFrame(std::move(context)), delegate(std::move(delegate)), hashAlgorithm(Const().SHA256) {}

void AuthSignatureDataGenerator::auth(const std::optional<std::string>& tbsDataBase64String,
                                      const std::string& hashAlgorithm, const std::optional<std::string>& pinUserCert) {
  this->pinUserCert = pinUserCert;
  signAfterPin(pinUserCert, tbsDataBase64String, hashAlgorithm, tbsDataBinary, this->hashAlgorithm, digestInfo,
               this->pinUserCert);
}

std::vector<AuthSignatureDataGenerator::Step> AuthSignatureDataGenerator::chain() {
  const ConstApduCmd cmd;
  return {
      fixed(cmd.selectPublicCertAid),
      fixed(cmd.selectEf18),
      verifyStep(),
      fixed(cmd.selectEf17),
      signStep(digestInfo, signatureBinary),
      fixed(cmd.selectEf0A),
      certificateStep(certificateBinary),
  };
}

void AuthSignatureDataGenerator::deliverFailure(const SignatureDataError& error) {
  deliverToHost(delegate, [&](auto& host) { host.didAuth(std::unexpected(error)); });
}

void AuthSignatureDataGenerator::deliverSuccess() {
  deliverToHost(delegate, [&](auto& host) {
    host.didAuth(
        SignatureData(signatureBinary, certificateBinary, tbsDataBinary, Utility().getHashAlgorithm(hashAlgorithm)));
  });
}

}  // namespace ekyc
