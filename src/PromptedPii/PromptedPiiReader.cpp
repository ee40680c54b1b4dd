#include "PromptedPii/PromptedPiiReader.hpp"

#include "Utility/ConstApduCmd.hpp"
#include "Utility/ConstDataLength.hpp"

namespace ekyc {

PromptedPiiReader::PromptedPiiReader(std::shared_ptr<PromptedPiiReaderDelegate> delegate_, ReaderContext context)
    : CardSurfaceReaderFrame(std::move(context)), delegate(std::move(delegate_)) {}

void PromptedPiiReader::fetchPromptedPii(std::optional<std::string> id, std::optional<std::string> pin_) {
  if (acceptAppId(id)) fetchPromptedPii(std::move(pin_));
}

void PromptedPiiReader::fetchPromptedPii(std::optional<std::string> pin_) {
  pin = std::move(pin_);
  obtainPins({{SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN, &pin, {}}});
}

std::vector<PromptedPiiReader::Step> PromptedPiiReader::chain() {
  const ConstApduCmd cmd;
  const ConstDataLength length;
  const SetPinKey key = SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN;
  // Each file is kept as read, once it holds what its format promises.
  const auto keepInto = [](Bytes& into, bool (*holdsWhatItPromises)(const Bytes&)) {
    return [&into, holdsWhatItPromises](const Bytes& data) {
      into = data;
      return holdsWhatItPromises(data);
    };
  };
  return {
      step(cmd.selectCardPrintSupAid, key),
      step(cmd.selectEf11, key),
      step(cmd.getVerifyAdpuCmd(toBytes(pin.value_or(""))), key),
      step(cmd.selectEf01, key),
      step(cmd.getReadAdpuCmd(length.MYNUMBER), key, keepInto(myNumberRawData, CardFileFormat::isNumberFile)),
      step(cmd.selectEf02, key),
      step(cmd.readBasicPersonalInfo, key, keepInto(personalInfoRawData, CardFileFormat::isBasicItemsFile)),
      step(cmd.selectEf03, key),
      step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_SUPPORT_SIGNATURE), key, keepInto(signatureRawData, CardFileFormat::isIntegrityFile)),
      step(cmd.selectEf04, key),
      step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_SUPPORT_CERT), key, keepInto(publicKeyCertRawData, CardFileFormat::isCertificateFile)),
  };
}

void PromptedPiiReader::finish() {
  ret = PromptedPii(myNumberRawData, personalInfoRawData, signatureRawData, publicKeyCertRawData);
  if (appId) {
    // Verified while the session is open, so that a refusal ends the sheet with the error text.
    std::clog << "Send Request" << std::endl;
    if (!request(Const().REQ_TYPE_PROMPTED_PII, *ret)) {
      endWithError();
      return;
    }
  }
  endWithSuccess();
  if (delegate) delegate->didGetPromptedPii(*ret);
}

bool PromptedPiiReader::request(const std::string& reqType, const PromptedPii& promptedPii) {
  // The reader always asks for "32"; a caller's other type is sent as it is.
  const auto expectedHash = promptedPii.getPromptedPiiHashData();
  const auto signature = promptedPii.getPromptedPiiSignature();
  const auto verifyingParams = promptedPii.getPromptedPiiVerifyingParams();
  if (!expectedHash || !signature || !verifyingParams) {
    // The files lack an element the request needs.
    deliverFailure(PromptedPiiError::cardConnectionFailed());
    return false;
  }
  return postVerification(reqType, *expectedHash, *signature, *verifyingParams);
}

void PromptedPiiReader::deliverFailure(const PromptedPiiError& error) {
  if (delegate) delegate->didGetPromptedPii(std::unexpected(error));
}

}  // namespace ekyc
