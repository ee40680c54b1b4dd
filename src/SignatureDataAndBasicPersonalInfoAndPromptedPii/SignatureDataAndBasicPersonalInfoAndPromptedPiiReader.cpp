#include "SignatureDataAndBasicPersonalInfoAndPromptedPii/SignatureDataAndBasicPersonalInfoAndPromptedPiiReader.hpp"

#include "Platform/HostCall.hpp"

namespace ekyc {

using Reader = SignatureDataAndBasicPersonalInfoAndPromptedPiiReader;
using Error = SignatureDataAndBasicPersonalInfoAndPromptedPiiError;

Reader::SignatureDataAndBasicPersonalInfoAndPromptedPiiReader(
    std::shared_ptr<SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate> delegate_, ReaderContext context)
    : SignAndReadFrame(std::move(context)), delegate(std::move(delegate_)) {}

void Reader::signAndGetBasicPersonalInfoAndFetchPromptedPii(const std::optional<std::string>& tbsDataBase64String,
                                                            const std::string& hashName,
                                                            std::optional<std::string> pinForSigner,
                                                            std::optional<std::string> pinSupport, bool include,
                                                            std::optional<std::string> id) {
  if (acceptAppId(id)) {
    signAndGetBasicPersonalInfoAndFetchPromptedPii(tbsDataBase64String, hashName, std::move(pinForSigner),
                                                   std::move(pinSupport), include);
  }
}

void Reader::signAndGetBasicPersonalInfoAndFetchPromptedPii(const std::optional<std::string>& tbsDataBase64String,
                                                            const std::string& hashName,
                                                            std::optional<std::string> pinForSigner,
                                                            std::optional<std::string> pinSupport, bool include) {
  const Const c;
  pinPromptedPii = std::move(pinSupport);
  includeBasicPersonalInfo = include;
  signAndRead(tbsDataBase64String, hashName, std::move(pinForSigner), c.SIGNATURE_DATA_AND_BASIC_PERSONAL_INFO,
              {SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN, &pinPromptedPii, c.PROMPTED_PII});
}

std::vector<Reader::Step> Reader::chain() {
  const Const c;
  // Reads the certificate (the basic items) before signing, then the input-support files.
  return joined({signingPinSteps(c.SIGNATURE_DATA_AND_BASIC_PERSONAL_INFO), certificateSteps(&basicPersonalInfo),
                 signatureSteps(),
                 promptedPiiSteps(*this, pinPromptedPii, c.PROMPTED_PII, SetPinKey::MYNUMBERCARD_SIGNER_PIN)});
}

void Reader::finish() {
  // The sheet closes with the success text once the card has been read, before the server is asked
  // (so the card is free at once); the verdict then reaches the host alone, as its one result.
  promptedPii = PromptedPii(myNumberRawData, personalInfoRawData, signatureRawData, publicKeyCertRawData);
  if (appId && !promptedPiiComplete(*promptedPii)) {
    // Files without what the verification needs (hash sources, signature, certificate): one
    // failure, no success text and no request; without verification the record is delivered.
    fail(Error::cardConnectionFailed());
    return;
  }
  endWithSuccess();
  if (appId) {
    std::clog << "Send Request" << std::endl;
    if (!request(Const().REQ_TYPE_PROMPTED_PII, *promptedPii)) {
      endWithError();
      return;
    }
  }
  deliverToHost(delegate, [&](auto& host) {
    host.didSignAndGetBasicPersonalInfoAndGetPromptedPii(
        SignatureDataAndBasicPersonalInfoAndPromptedPii(signatureData, basicPersonalInfo, promptedPii));
  });
}

bool Reader::request(const std::string& reqType, const PromptedPii& record) {
  return postPromptedPii(reqType, record, Const().PROMPTED_PII);
}

void Reader::deliverFailure(const Error& error) {
  deliverToHost(delegate, [&](auto& host) {
    host.didSignAndGetBasicPersonalInfoAndGetPromptedPii(std::unexpected(error));
  });
}

}  // namespace ekyc
