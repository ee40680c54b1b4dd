#include "CardPrintInfoAndMynaDriverLicense/CardPrintInfoAndMynaDriverLicenseReader.hpp"

#include "Platform/HostCall.hpp"

namespace ekyc {

using Error = CardPrintInfoAndMynaDriverLicenseError;

CardPrintInfoAndMynaDriverLicenseReader::CardPrintInfoAndMynaDriverLicenseReader(
    std::shared_ptr<CardPrintInfoAndMynaDriverLicenseReaderDelegate> delegate_, ReaderContext context)
    : CardSurfaceReaderFrame(std::move(context)), delegate(std::move(delegate_)) {}

void CardPrintInfoAndMynaDriverLicenseReader::fetchCardPrintInfoAndMynaDriverLicense(
    std::optional<std::string> id, std::optional<std::string> cardPrintPin, std::optional<std::string> licencePin) {
  if (acceptAppId(id)) fetchCardPrintInfoAndMynaDriverLicense(std::move(cardPrintPin), std::move(licencePin));
}

void CardPrintInfoAndMynaDriverLicenseReader::fetchCardPrintInfoAndMynaDriverLicense(
    std::optional<std::string> cardPrintPin, std::optional<std::string> licencePin) {
  pinCardPrintInfo = std::move(cardPrintPin);
  pinMynaDL = std::move(licencePin);
  const Const c;
  // The card-surface PIN is settled first; the licence PIN is asked for only after it passed.
  obtainPins({{SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, &pinCardPrintInfo, c.CARD_PRINT_INFO},
              {SetPinKey::MYNA_DRIVERLICENSE_PIN, &pinMynaDL, c.MYNA_DRIVERLICENSE}});
}

std::vector<CardPrintInfoAndMynaDriverLicenseReader::Step> CardPrintInfoAndMynaDriverLicenseReader::chain() {
  const Const c;
  // A certificate, like a signature or a digest, missing from its file stays absent in the record.
  auto steps = cardPrintInfoChain(*this, c.CARD_PRINT_INFO, true);
  // The last card-surface answer hands over to the licence data: with an application id only once
  // the server has confirmed the card surface ("13"), on the open session.
  auto& last = steps.back();
  last.keep = [this, kept = std::move(last.keep)](const Bytes& data) {
    if (!kept(data)) return false;
    if (!appId || appId->empty()) return true;
    std::clog << "CardPrintInfo Send Request" << std::endl;
    return requestCardPrintInfo(Const().REQ_TYPE_CARD_PRINT_INFO_ALL, cardPrintInfoRecord(*this));
  };
  for (auto& step : licence_.steps<Step>(pinMynaDL, c.MYNA_DRIVERLICENSE)) steps.push_back(std::move(step));
  return steps;
}

bool CardPrintInfoAndMynaDriverLicenseReader::requestCardPrintInfo(const std::string& reqType,
                                                                   const CardPrintInfo& cardPrintInfo) {
  // Both sides' texts from the record; a record without one (a signature or a certificate missing
  // on the card) cannot be verified: 18001 before any traffic. An empty signature or certificate is
  // a value: it is sent, and the server judges it.
  const auto hash = cardPrintInfo.getCardPrintInfoAllHashData();
  const auto signature = cardPrintInfo.getCardPrintInfoAllSignature();
  const auto params = cardPrintInfo.getCardPrintInfoAllVerifyingParams();
  if (!hash || !signature || !params) {
    deliverFailure(Error::failVerifySignature());
    return false;
  }
  return postVerification(reqType, *hash, *signature, *params, Const().CARD_PRINT_INFO);
}

void CardPrintInfoAndMynaDriverLicenseReader::finish() {
  const auto record = licence_.record();
  MynaDriverLicenseStep::finish<Error>(
      record, {platform(), httpConnectionTimeOut, appId.value_or("")}, [this] { endWithSuccess(); },
      [this] { endWithError(); }, [this](const Error& e) { deliverFailure(e); },
      [&] {
        deliverToHost(delegate, [&](auto& host) {
          host.didGetCardPrintInfoAndGetMynaDriverLicense(
              CardPrintInfoAndMynaDriverLicense(cardPrintInfoRecord(*this), record));
        });
      });
}

void CardPrintInfoAndMynaDriverLicenseReader::deliverFailure(const Error& error) {
  // One failure per request: a refused card-surface verification has been delivered already when
  // the chain stops on it.
  if (failed_) return;
  failed_ = true;
  deliverToHost(delegate, [&](auto& host) { host.didGetCardPrintInfoAndGetMynaDriverLicense(std::unexpected(error)); });
}

}  // namespace ekyc
