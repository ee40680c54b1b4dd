#include "PromptedPii/PromptedPiiReader.hpp"

#include "Platform/HostCall.hpp"
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
  return promptedPiiSteps(*this, pin, {}, SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN);
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
  deliverToHost(delegate, [&](auto& host) { host.didGetPromptedPii(*ret); });
}

bool PromptedPiiReader::request(const std::string& reqType, const PromptedPii& promptedPii) {
  // The reader always asks for "32"; a caller's other type is sent as it is.
  return postPromptedPii(reqType, promptedPii);
}

void PromptedPiiReader::deliverFailure(const PromptedPiiError& error) {
  deliverToHost(delegate, [&](auto& host) { host.didGetPromptedPii(std::unexpected(error)); });
}

}  // namespace ekyc
