#include "MyNumber/MyNumberInfoReader.hpp"

#include "TLV/Ber.hpp"
#include "Utility/ConstApduCmd.hpp"
#include "Utility/ConstDataLength.hpp"
#include "Utility/ConstTag.hpp"

namespace ekyc {

MyNumberInfoReader::MyNumberInfoReader(std::shared_ptr<MyNumberInfoReaderDelegate> delegate_, ReaderContext context)
    : CardSurfaceReaderFrame(std::move(context)), delegate(std::move(delegate_)) {}

void MyNumberInfoReader::fetchMyNumberCardInfo(std::optional<std::string> pin, std::optional<std::string> id) {
  if (acceptAppId(id)) fetchMyNumberCardInfo(std::move(pin));
}

void MyNumberInfoReader::fetchMyNumberCardInfo(std::optional<std::string> pin) {
  pinMyNumber = std::move(pin);
  obtainPins({{SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, &pinMyNumber, {}}});
}

std::vector<MyNumberInfoReader::Step> MyNumberInfoReader::chain() {
  const ConstApduCmd cmd;
  const ConstDataLength length;
  const ConstTag tag;
  const SetPinKey key = SetPinKey::MYNUMBERCARD_MYNUMBER_PIN;
  const auto verify = [this, key] {
    return Step{[this] { return ConstApduCmd().getVerifyAdpuCmd(toBytes(pinMyNumber.value_or(""))); }, key, {}, {}};
  };
  return {
      // Card-surface application.
      step(cmd.selectCardPrintAid, key),
      step(cmd.selectEf13, key),
      verify(),
      step(cmd.selectEf04, key),
      step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_CERT), key,
           keepCertificate(certCardPrintInfo)),
      step(cmd.selectEf05, key),
      step(cmd.getReadAdpuCmd(length.MYNUMBER_INFO), key,
           [this](const Bytes& data) {
             return keepMyNumberInfo(data, cardPrintInfoVerifySrc, myNumberImage, cardPrintInfoSignature);
           }),
      // Input-support application.
      step(cmd.selectCardPrintSupAid, key),
      step(cmd.selectEf14, key),
      verify(),
      step(cmd.selectEf01, key),
      step(cmd.getReadAdpuCmd(length.MYNUMBER), key,
           [this](const Bytes& data) { return keepNumberFile(data, supportVerifySrc, myNumber); }),
      step(cmd.selectEf03, key),
      step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_SUPPORT_SIGNATURE), key,
           [this, tag](const Bytes& data) {
             const auto values = integrityValues(data);
             if (!values) return false;
             supportSignature = Ber::entry(*values, tag.MYNUMBER_HASH_SIGNATURE);
             hashPersonalInfo = Ber::entry(*values, tag.MYNUMBER_HASH_BASIC_PERSONAL_INFO);
             return true;
           }),
      step(cmd.selectEf04, key),
      step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_SUPPORT_CERT), key,
           keepCertificate(certSupport)),
  };
}

void MyNumberInfoReader::finish() {
  const Utility utility;
  cardPrintInfoVerifyingParams = utility.createJsonVerifyingParams(*certCardPrintInfo, std::nullopt);
  supportVerifyingParams = utility.createJsonVerifyingParams(*certSupport, hashPersonalInfo);
  if (appId) {
    std::clog << "Send Request" << std::endl;
    if (!request(Const().REQ_TYPE_MYNUMBER_ALL)) {
      endWithError();
      return;
    }
  }
  endWithSuccess();
  if (delegate) {
    delegate->didGetMyNumberInfo(MyNumberInfo(Ber::entry(*myNumber, ConstTag().MYNUMBER.front()), myNumberImage,
                                              hashPersonalInfo, certCardPrintInfo, certSupport, cardPrintInfoSignature,
                                              supportSignature, cardPrintInfoVerifySrc, supportVerifySrc));
  }
}

bool MyNumberInfoReader::request(const std::string& reqType) {
  const Const c;
  const VerificationSide image{cardPrintInfoVerifySrc, true, cardPrintInfoSignature, cardPrintInfoVerifyingParams};
  const VerificationSide number{supportVerifySrc, true, supportSignature, supportVerifyingParams};
  if (reqType == c.REQ_TYPE_MYNUMBER_ALL) return postSides(reqType, image, number);
  if (reqType == c.REQ_TYPE_MYNUMBER_IMG) return postSides(reqType, image, std::nullopt);
  if (reqType == c.REQ_TYPE_MYNUMBER_TEXT) return postSides(reqType, std::nullopt, number);
  return false;
}

void MyNumberInfoReader::deliverFailure(const MyNumberInfoError& error) {
  if (delegate) delegate->didGetMyNumberInfo(std::unexpected(error));
}

}  // namespace ekyc
