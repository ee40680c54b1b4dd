#include "CardPrintInfoAndMyNumberInfo/CardPrintInfoAndMyNumberInfoReader.hpp"

#include "Platform/HostCall.hpp"
#include "TLV/Ber.hpp"
#include "Utility/ConstApduCmd.hpp"
#include "Utility/ConstDataLength.hpp"
#include "Utility/ConstTag.hpp"

namespace ekyc {

CardPrintInfoAndMyNumberInfoReader::CardPrintInfoAndMyNumberInfoReader(
    std::shared_ptr<CardPrintInfoAndMyNumberInfoReaderDelegate> delegate_, ReaderContext context)
    : CardSurfaceReaderFrame(std::move(context)), delegate(std::move(delegate_)) {}

void CardPrintInfoAndMyNumberInfoReader::fetchCardPrintInfoAndMyNumberInfo(std::optional<std::string> cardPrintPin,
                                                                           std::optional<std::string> numberPin,
                                                                           std::optional<std::string> id) {
  if (acceptAppId(id)) fetchCardPrintInfoAndMyNumberInfo(std::move(cardPrintPin), std::move(numberPin));
}

void CardPrintInfoAndMyNumberInfoReader::fetchCardPrintInfoAndMyNumberInfo(std::optional<std::string> cardPrintPin,
                                                                           std::optional<std::string> numberPin) {
  pinCardPrintInfo = std::move(cardPrintPin);
  pinMyNumber = std::move(numberPin);
  const Const c;
  // The card-surface PIN first: a refused one is the only failure reported.
  obtainPins({{SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, &pinCardPrintInfo, c.CARD_PRINT_INFO},
              {SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, &pinMyNumber, c.MY_NUMBER_INFO}});
}

std::vector<CardPrintInfoAndMyNumberInfoReader::Step> CardPrintInfoAndMyNumberInfoReader::chain() {
  const ConstApduCmd cmd;
  const ConstDataLength length;
  const ConstTag tag;
  const Const c;
  const SetPinKey cardPrintKey = SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN;
  const SetPinKey numberKey = SetPinKey::MYNUMBERCARD_MYNUMBER_PIN;
  // The card-surface VERIFY is built once, now, and sent in both applications; the
  // individual-number VERIFY is built from pinMyNumber each time it is sent.
  const auto verifyCardPrint = step(cmd.getVerifyAdpuCmd(toBytes(pinCardPrintInfo.value_or(""))), cardPrintKey, {},
                                    c.CARD_PRINT_INFO);
  const Step verifyNumber{[this] { return ConstApduCmd().getVerifyAdpuCmd(toBytes(pinMyNumber.value_or(""))); },
                          numberKey, c.MY_NUMBER_INFO, {}};
  return {
      // Card-surface application.
      step(cmd.selectCardPrintAid, cardPrintKey),                                        // 1
      step(cmd.selectEf12, cardPrintKey),                                                // 2
      verifyCardPrint,                                                                   // 3
      step(cmd.selectEf13, numberKey),                                                   // 4
      verifyNumber,                                                                      // 5
      step(cmd.selectEf02, cardPrintKey),                                                // 6
      step(cmd.readCardPrintInfo, cardPrintKey,                                          // 7
           [this](const Bytes& data) { return keepCardPrintInfo(*this, data); }),
      step(cmd.selectEf04, cardPrintKey),                                                // 8
      step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_CERT), cardPrintKey,                // 9
           keepCertificate(certCardPrintInfo)),
      step(cmd.selectEf05, cardPrintKey),                                                // 10
      step(cmd.getReadAdpuCmd(length.MYNUMBER_INFO), cardPrintKey,                       // 11
           [this](const Bytes& data) {
             return keepMyNumberInfo(data, myNumberInfoVerifySrc, myNumberImage, myNumberInfoSignature);
           }),
      // Input-support application.
      step(cmd.selectCardPrintSupAid, cardPrintKey),                                     // 12
      step(cmd.selectEf14, numberKey),                                                   // 13
      verifyNumber,                                                                      // 14
      step(cmd.selectEf15, cardPrintKey),                                                // 15
      verifyCardPrint,                                                                   // 16
      step(cmd.selectEf01, cardPrintKey),                                                // 17
      step(cmd.getReadAdpuCmd(length.MYNUMBER), cardPrintKey,                            // 18
           [this](const Bytes& data) { return keepNumberFile(data, supportMyNumberInfoVerifySrc, myNumber); }),
      step(cmd.selectEf02, cardPrintKey),                                                // 19
      step(cmd.readBasicPersonalInfo, cardPrintKey,                                      // 20
           [this](const Bytes& data) { return keepBasicItems(data, supportVerifySrc, dicBasicPersonalInfo); }),
      step(cmd.selectEf03, cardPrintKey),                                                // 21
      step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_SUPPORT_SIGNATURE), cardPrintKey,   // 22
           [this, tag](const Bytes& data) {
             const auto values =
                 integrityValues(data, {tag.MYNUMBER_HASH_NUMBER, tag.MYNUMBER_HASH_BASIC_PERSONAL_INFO});
             if (!values) return false;
             supportSignature = Ber::entry(*values, tag.MYNUMBER_HASH_SIGNATURE);
             hashMyNumberInfo = Ber::entry(*values, tag.MYNUMBER_HASH_NUMBER);
             hashPersonalInfo = Ber::entry(*values, tag.MYNUMBER_HASH_BASIC_PERSONAL_INFO);
             return true;
           }),
      step(cmd.selectEf04, cardPrintKey),                                                // 23
      step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_SUPPORT_CERT), cardPrintKey,        // 24
           keepCertificate(certSupport)),
  };
}

void CardPrintInfoAndMyNumberInfoReader::buildRecords() {
  cardPrintInfo = CardPrintInfo::fromCardFiles(*dicBasicPersonalInfo, *dicCardPrintInfo, hashMyNumberInfo,
                                               certCardPrintInfo, certSupport, cardPrintInfoSignature,
                                               supportSignature, responseCardPrintInfoVerifySrc, supportVerifySrc);
  myNumberInfo = MyNumberInfo(Ber::entry(*myNumber, ConstTag().MYNUMBER.front()), myNumberImage, hashPersonalInfo,
                              certCardPrintInfo, certSupport, myNumberInfoSignature, supportSignature,
                              myNumberInfoVerifySrc, supportMyNumberInfoVerifySrc);
}

void CardPrintInfoAndMyNumberInfoReader::finish() {
  cardPrintInfoVerifyingParams = sideVerifyingParams(*certCardPrintInfo, std::nullopt);
  myNumberInfoVerifyingParams = sideVerifyingParams(*certCardPrintInfo, std::nullopt);
  supportVerifyingParams = sideVerifyingParams(*certSupport, hashMyNumberInfo);
  supportMyNumberInfoVerifyingParams = sideVerifyingParams(*certSupport, hashPersonalInfo);
  const bool verified = appId.has_value();
  if (verified) {
    const Const c;
    std::clog << "Send Request" << std::endl;
    if (!requestCardPrintInfo(c.REQ_TYPE_CARD_PRINT_INFO_ALL) || !requestMyNumberInfo(c.REQ_TYPE_MYNUMBER_ALL)) {
      endWithError();
      return;
    }
    endWithSuccess();
  }
  buildRecords();
  deliverToHost(delegate, [&](auto& host) {
    host.didGetCardPrintInfoAndGetMyNumber(CardPrintInfoAndMyNumberInfo(cardPrintInfo, myNumberInfo));
  });
  if (!verified) endWithSuccess();
}

bool CardPrintInfoAndMyNumberInfoReader::requestCardPrintInfo(const std::string& reqType) {
  const Const c;
  const VerificationSide surface{cardPrintInfoVerifySrc, false, cardPrintInfoSignature, cardPrintInfoVerifyingParams};
  const VerificationSide text{supportVerifySrc, true, supportSignature, supportVerifyingParams};
  if (reqType == c.REQ_TYPE_CARD_PRINT_INFO_ALL) return postSides(reqType, surface, text, c.CARD_PRINT_INFO);
  if (reqType == c.REQ_TYPE_CARD_PRINT_INFO_IMG) return postSides(reqType, surface, std::nullopt, c.CARD_PRINT_INFO);
  if (reqType == c.REQ_TYPE_CARD_PRINT_INFO_TEXT) return postSides(reqType, std::nullopt, text, c.CARD_PRINT_INFO);
  return false;
}

bool CardPrintInfoAndMyNumberInfoReader::requestMyNumberInfo(const std::string& reqType) {
  const Const c;
  const VerificationSide image{myNumberInfoVerifySrc, true, myNumberInfoSignature, myNumberInfoVerifyingParams};
  const VerificationSide number{supportMyNumberInfoVerifySrc, true, supportSignature,
                                supportMyNumberInfoVerifyingParams};
  if (reqType == c.REQ_TYPE_MYNUMBER_ALL) return postSides(reqType, image, number, c.MY_NUMBER_INFO);
  if (reqType == c.REQ_TYPE_MYNUMBER_IMG) return postSides(reqType, image, std::nullopt, c.MY_NUMBER_INFO);
  if (reqType == c.REQ_TYPE_MYNUMBER_TEXT) return postSides(reqType, std::nullopt, number, c.MY_NUMBER_INFO);
  return false;
}

void CardPrintInfoAndMyNumberInfoReader::deliverFailure(const CardPrintInfoAndMyNumberInfoError& error) {
  deliverToHost(delegate, [&](auto& host) { host.didGetCardPrintInfoAndGetMyNumber(std::unexpected(error)); });
}

}  // namespace ekyc
