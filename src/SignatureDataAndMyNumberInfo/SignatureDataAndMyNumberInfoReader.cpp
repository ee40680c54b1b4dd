#include "SignatureDataAndMyNumberInfo/SignatureDataAndMyNumberInfoReader.hpp"

#include "Platform/HostCall.hpp"

namespace ekyc {

SignatureDataAndMyNumberInfoReader::SignatureDataAndMyNumberInfoReader(
    std::shared_ptr<SignatureDataAndMyNumberInfoReaderDelegate> delegate_, ReaderContext context)
    : SignAndReadFrame(std::move(context)), delegate(std::move(delegate_)) {}

void SignatureDataAndMyNumberInfoReader::signAndFetchMyNumber(const std::optional<std::string>& tbsDataBase64String,
                                                              const std::string& hashName,
                                                              std::optional<std::string> pinForSigner,
                                                              std::optional<std::string> pinNumber,
                                                              std::optional<std::string> id) {
  if (acceptAppId(id)) signAndFetchMyNumber(tbsDataBase64String, hashName, std::move(pinForSigner), std::move(pinNumber));
}

void SignatureDataAndMyNumberInfoReader::signAndFetchMyNumber(const std::optional<std::string>& tbsDataBase64String,
                                                              const std::string& hashName,
                                                              std::optional<std::string> pinForSigner,
                                                              std::optional<std::string> pinNumber) {
  const Const c;
  pinMyNumber = std::move(pinNumber);
  signAndRead(tbsDataBase64String, hashName, std::move(pinForSigner), c.SIGNATURE_DATA,
              {SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, &pinMyNumber, c.MY_NUMBER_INFO});
}

std::vector<SignatureDataAndMyNumberInfoReader::Step> SignatureDataAndMyNumberInfoReader::chain() {
  const Const c;
  // Signs, then reads the signing certificate, then the individual number.
  return joined({signingPinSteps(c.SIGNATURE_DATA), signatureSteps(), certificateSteps(nullptr),
                 myNumberSteps(*this, c.MY_NUMBER_INFO, SetPinKey::MYNUMBERCARD_SIGNER_PIN)});
}

void SignatureDataAndMyNumberInfoReader::finish() {
  finishMyNumber(*this, [this] {
    deliverToHost(delegate, [&](auto& host) {
      host.didSignAndGetMyNumberInfo(SignatureDataAndMyNumberInfo(signatureData, myNumberInfo));
    });
  });
}

bool SignatureDataAndMyNumberInfoReader::request(const std::string& reqType) {
  return myNumberVerification(*this, reqType);
}

void SignatureDataAndMyNumberInfoReader::deliverFailure(const SignatureDataAndMyNumberInfoError& error) {
  deliverToHost(delegate, [&](auto& host) { host.didSignAndGetMyNumberInfo(std::unexpected(error)); });
}

}  // namespace ekyc
