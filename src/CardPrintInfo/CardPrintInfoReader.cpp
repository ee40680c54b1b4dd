#include "CardPrintInfo/CardPrintInfoReader.hpp"

#include "TLV/Ber.hpp"
#include "Utility/ConstApduCmd.hpp"
#include "Utility/ConstDataLength.hpp"
#include "Utility/ConstTag.hpp"

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

std::vector<CardPrintInfoReader::Step> CardPrintInfoReader::chain() {
  const ConstApduCmd cmd;
  const ConstDataLength length;
  const ConstTag tag;
  const SetPinKey key = SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN;
  // One VERIFY command, built now and sent in both applications.
  const auto verify = cmd.getVerifyAdpuCmd(toBytes(pinCardPrintInfo.value_or("")));
  return {
      // Card-surface application.
      step(cmd.selectCardPrintAid, key),
      step(cmd.selectEf12, key),
      step(verify, key),
      step(cmd.selectEf02, key),
      step(cmd.readCardPrintInfo, key,
           [this](const Bytes& data) { return keepCardPrintInfo(*this, data); }),
      step(cmd.selectEf04, key),
      step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_CERT), key, keepCertificate(certCardPrintInfo)),
      // Input-support application.
      step(cmd.selectCardPrintSupAid, key),
      step(cmd.selectEf15, key),
      step(verify, key),
      step(cmd.selectEf02, key),
      step(cmd.readBasicPersonalInfo, key,
           [this](const Bytes& data) { return keepBasicItems(data, supportVerifySrc, dicBasicPersonalInfo); }),
      step(cmd.selectEf03, key),
      step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_SUPPORT_SIGNATURE), key,
           [this, tag](const Bytes& data) {
             const auto values = integrityValues(data);
             if (!values) return false;
             supportSignature = Ber::entry(*values, tag.MYNUMBER_HASH_SIGNATURE);
             hashMyNumberInfo = Ber::entry(*values, tag.MYNUMBER_HASH_NUMBER);
             return true;
           }),
      step(cmd.selectEf04, key),
      step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_SUPPORT_CERT), key, keepCertificate(certSupport)),
  };
}

void CardPrintInfoReader::buildRecord() {
  cardPrintInfo = CardPrintInfo::fromCardFiles(*dicBasicPersonalInfo, *dicCardPrintInfo, hashMyNumberInfo,
                                               certCardPrintInfo, certSupport, cardPrintInfoSignature,
                                               supportSignature, responseCardPrintInfoVerifySrc, supportVerifySrc);
}

void CardPrintInfoReader::finish() {
  const Utility utility;
  cardPrintInfoVerifyingParams = utility.createJsonVerifyingParams(*certCardPrintInfo, std::nullopt);
  supportVerifyingParams = utility.createJsonVerifyingParams(*certSupport, hashMyNumberInfo);
  if (appId) {
    std::clog << "Send Request" << std::endl;
    if (!request(Const().REQ_TYPE_CARD_PRINT_INFO_ALL)) {
      appId.reset();
      endWithError();
      return;
    }
    endWithSuccess();
    buildRecord();
    if (delegate) delegate->didGetCardPrintInfo(*cardPrintInfo);
    return;
  }
  buildRecord();
  if (delegate) delegate->didGetCardPrintInfo(*cardPrintInfo);
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
  if (delegate) delegate->didGetCardPrintInfo(std::unexpected(error));
}

}  // namespace ekyc
