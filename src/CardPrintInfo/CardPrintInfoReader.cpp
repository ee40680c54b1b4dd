#include "CardPrintInfo/CardPrintInfoReader.hpp"

#include "Platform/HostCall.hpp"

namespace ekyc {

CardPrintInfoReader::CardPrintInfoReader(std::shared_ptr<CardPrintInfoReaderDelegate> delegate_, ReaderContext context)
    : CardSurfaceReaderFrame(std::move(context)), delegate(std::move(delegate_)) {}

void CardPrintInfoReader::fetchCardPrintInfo(std::optional<std::string> pin, std::optional<std::string> id) {
  if (acceptAppId(id)) fetchCardPrintInfo(std::move(pin));
}

void CardPrintInfoReader::fetchCardPrintInfo(std::optional<std::string> pin) {
  pinCardPrintInfo = std::move(pin);
  obtainPins({{SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, &pinCardPrintInfo, {}}});
}

std::vector<CardPrintInfoReader::Step> CardPrintInfoReader::chain() { return cardPrintInfoChain(*this); }

void CardPrintInfoReader::buildRecord() { cardPrintInfo = cardPrintInfoRecord(*this); }

void CardPrintInfoReader::finish() {
  cardPrintInfoVerifyingParams = sideVerifyingParams(*certCardPrintInfo, std::nullopt);
  supportVerifyingParams = sideVerifyingParams(*certSupport, hashMyNumberInfo);
  if (appId) {
    std::clog << "Send Request" << std::endl;
    if (!request(Const().REQ_TYPE_CARD_PRINT_INFO_ALL)) {
      appId.reset();
      endWithError();
      return;
    }
    endWithSuccess();
    buildRecord();
    deliverToHost(delegate, [&](auto& host) { host.didGetCardPrintInfo(*cardPrintInfo); });
    return;
  }
  buildRecord();
  deliverToHost(delegate, [&](auto& host) { host.didGetCardPrintInfo(*cardPrintInfo); });
  endWithSuccess();
}

bool CardPrintInfoReader::request(const std::string& reqType) {
  const Const c;
  // The card-surface source is already three digests: it is sent as it is.
  const VerificationSide surface{cardPrintInfoVerifySrc, false, cardPrintInfoSignature, cardPrintInfoVerifyingParams};
  const VerificationSide text{supportVerifySrc, true, supportSignature, supportVerifyingParams};
  if (reqType == c.REQ_TYPE_CARD_PRINT_INFO_ALL) return postSides(reqType, surface, text);
  if (reqType == c.REQ_TYPE_CARD_PRINT_INFO_IMG) return postSides(reqType, surface, std::nullopt);
  if (reqType == c.REQ_TYPE_CARD_PRINT_INFO_TEXT) return postSides(reqType, std::nullopt, text);
  return false;
}

void CardPrintInfoReader::deliverFailure(const CardPrintInfoError& error) {
  deliverToHost(delegate, [&](auto& host) { host.didGetCardPrintInfo(std::unexpected(error)); });
}

}  // namespace ekyc
