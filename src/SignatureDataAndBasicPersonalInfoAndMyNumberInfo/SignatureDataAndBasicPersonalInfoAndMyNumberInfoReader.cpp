#include "SignatureDataAndBasicPersonalInfoAndMyNumberInfo/SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader.hpp"

#include "Platform/HostCall.hpp"

namespace ekyc {

using Reader = SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader;

Reader::SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader(
    std::shared_ptr<SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate> delegate_, ReaderContext context)
    : SignAndReadFrame(std::move(context)), delegate(std::move(delegate_)) {}

void Reader::signAndFetchMyNumberInfoAndFetchMyNumber(const std::optional<std::string>& tbsDataBase64String,
                                                      const std::string& hashName,
                                                      std::optional<std::string> pinForSigner,
                                                      std::optional<std::string> pinNumber, bool include,
                                                      std::optional<std::string> id) {
  if (acceptAppId(id)) {
    signAndFetchMyNumberInfoAndFetchMyNumber(tbsDataBase64String, hashName, std::move(pinForSigner),
                                             std::move(pinNumber), include);
  }
}

void Reader::signAndFetchMyNumberInfoAndFetchMyNumber(const std::optional<std::string>& tbsDataBase64String,
                                                      const std::string& hashName,
                                                      std::optional<std::string> pinForSigner,
                                                      std::optional<std::string> pinNumber, bool include) {
  const Const c;
  pinMyNumber = std::move(pinNumber);
  includeBasicPersonalInfo = include;
  signAndRead(tbsDataBase64String, hashName, std::move(pinForSigner), c.SIGNATURE_DATA_AND_BASIC_PERSONAL_INFO,
              {SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, &pinMyNumber, c.MY_NUMBER_INFO});
}

std::vector<Reader::Step> Reader::chain() {
  const Const c;
  // Reads the certificate (the basic items) before signing, then the individual number; the answer
  // to SELECT EF 0014 is checked under the signing PIN's slot.
  const SetPinKey signer = SetPinKey::MYNUMBERCARD_SIGNER_PIN;
  return joined({signingPinSteps(c.SIGNATURE_DATA_AND_BASIC_PERSONAL_INFO), certificateSteps(&basicPersonalInfo),
                 signatureSteps(), myNumberSteps(*this, c.MY_NUMBER_INFO, signer, signer)});
}

void Reader::finish() {
  finishMyNumber(*this, [this] {
    deliverToHost(delegate, [&](auto& host) {
      host.didSignAndGetBasicPersonalInfoAndGetMyNumber(
          SignatureDataAndBasicPersonalInfoAndMyNumberInfo(signatureData, basicPersonalInfo, myNumberInfo));
    });
  });
}

bool Reader::request(const std::string& reqType) { return myNumberVerification(*this, reqType); }

void Reader::deliverFailure(const SignatureDataAndBasicPersonalInfoAndMyNumberInfoError& error) {
  deliverToHost(delegate, [&](auto& host) {
    host.didSignAndGetBasicPersonalInfoAndGetMyNumber(std::unexpected(error));
  });
}

}  // namespace ekyc
