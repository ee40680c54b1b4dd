#include "ResidenceCard/ResidenceCardInfoReader.hpp"

#include <algorithm>
#include <cctype>
#include <iostream>

#include "Http/HTTPClient.hpp"
#include "Platform/HostCall.hpp"
#include "Platform/RandomSource.hpp"
#include "ResidenceCard/ResidenceCardFiles.hpp"
#include "TLV/Ber.hpp"
#include "Utility/Const.hpp"
#include "Utility/ConstApduCmd.hpp"
#include "Utility/ConstDataLength.hpp"
#include "Utility/ConstTag.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

namespace {

using Failure = std::optional<ResidenceCardError>;
constexpr SetPinKey KEY = SetPinKey::RESIDENCECARD_PIN;


}  // namespace

ResidenceCardInfoReader::ResidenceCardInfoReader(std::shared_ptr<ResidenceCardInfoReaderDelegate> delegate_,
                                                 ReaderContext context)
    : ReaderFrame(context), delegate(std::move(delegate_)), httpConnectionTimeOut(context.httpConnectionTimeOut) {}

void ResidenceCardInfoReader::fetchResidenceCard(std::optional<std::string> pin, std::optional<std::string> id) {
  appId = std::move(id);
  if (appId && !appId->empty()) {
    fetchResidenceCard(std::move(pin));
    return;
  }
  failBeforeSession(ResidenceCardError::notSetAppId());
}

void ResidenceCardInfoReader::fetchResidenceCard(std::optional<std::string> pin) {
  pinResidenceCard = std::move(pin);
  obtainPins({{KEY, &pinResidenceCard, {}}}, [this] {
    std::transform(pinResidenceCard->begin(), pinResidenceCard->end(), pinResidenceCard->begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    beginScan();
  });
}

std::vector<ResidenceCardInfoReader::ChainStep> ResidenceCardInfoReader::chainSteps() {
  const ConstApduCmd cmd;
  const ConstTag tag;
  const auto plain = [](NFCISO7816APDU command, std::function<Failure(const Bytes&)> keep = {}) {
    return ChainStep{[command] { return command; }, KEY, {}, std::move(keep)};
  };
  const auto read = [&cmd, &plain](std::uint8_t p1, std::function<Failure(const Bytes&)> keep) {
    return plain(cmd.getReadFullDataAdpuCmd(p1), std::move(keep));
  };
  const auto value = [](const Bytes& data, const std::vector<std::string>& tags, const std::string& which) {
    return Ber::entry(Ber().parse(data, tags, false), which);
  };
  // Steps 13 to 15 (permissions and update status) are read from cards of type 1 only.
  const auto notTypeOne = [this] { return cardTypeNumber_ != 1; };

  std::vector<ChainStep> steps{
      plain(cmd.selectResidenceCardDF1),
      plain(cmd.selectResidenceCardMF),
      read(cmd.SELECT_RESIDENCE_CARD_COMMON_DATA,
           [this, tag, value](const Bytes& data) -> Failure {
             commonData = value(data, tag.RESIDENCE_CARD_COMMON_DATA, tag.RESIDENCE_CARD_COMMON_DATA.front());
             return std::nullopt;
           }),
      read(cmd.SELECT_RESIDENCE_CARD_CARD_TYPE, [this](const Bytes& data) { return keepCardType(data); }),
      {[] { return ConstApduCmd().getChallengeAdpuCmd(ConstDataLength().GET_CHALLENGE_DATA_LENGTH); }, KEY, {},
       [this](const Bytes& data) { return authenticate(data); }},
      {[this] { return *mutualAuthenticate_; }, KEY, {}, [this](const Bytes& data) { return acceptCard(data); }},
      {[this] { return *verify_; }, KEY, {}, {}},
      plain(cmd.selectResidenceCardDF1),
      {[cmd] { return ResidenceCardSecureMessaging::read(cmd.SELECT_RESIDENCE_CARD_CARD_ENTRIES); }, KEY, {},
       [this](const Bytes& data) { return keepProtectedFile(data, true); }},
      {[cmd] { return ResidenceCardSecureMessaging::read(cmd.SELECT_RESIDENCE_CARD_PHOTO); }, KEY, {},
       [this](const Bytes& data) { return keepProtectedFile(data, false); }},
      plain(cmd.selectResidenceCardDF2),
      read(cmd.SELECT_RESIDENCE_CARD_ADDRESSES,
           [this, tag](const Bytes& data) -> Failure {
             const Utility utility;
             const auto found = Ber().parse(data, tag.RESIDENCE_CARD_ADDRESSES, false);
             date = utility.binaryEmptyToNil(Ber::entry(found, tag.RESIDENCE_CARD_ADDRESSES_DATE));
             code = utility.binaryEmptyToNil(Ber::entry(found, tag.RESIDENCE_CARD_ADDRESSES_CODE));
             address = utility.binaryEmptyToNil(Ber::entry(found, tag.RESIDENCE_CARD_ADDRESSES_ADDRESS));
             RCAddresses.emplace(date, code, address);
             return std::nullopt;
           }),
      read(cmd.SELECT_RESIDENCE_CARD_COMPREHENSIVE_PERMISSION,
           [this, tag, value](const Bytes& data) -> Failure {
             comprehensivePermission = Utility().binaryEmptyToNil(value(
                 data, tag.RESIDENCE_CARD_COMPREHENSIVE_PERMISSION, tag.RESIDENCE_CARD_COMPREHENSIVE_PERMISSION.front()));
             return std::nullopt;
           }),
      read(cmd.SELECT_RESIDENCE_CARD_INDIVIDUAL_PERMISSION,
           [this, tag, value](const Bytes& data) -> Failure {
             individualPermission = Utility().binaryEmptyToNil(value(
                 data, tag.RESIDENCE_CARD_INDIVIDUAL_PERMISSION, tag.RESIDENCE_CARD_INDIVIDUAL_PERMISSION.front()));
             return std::nullopt;
           }),
      read(cmd.SELECT_RESIDENCE_CARD_UPDATE_STATUS,
           [this, tag, value](const Bytes& data) -> Failure {
             updateStatus = value(data, tag.RESIDENCE_CARD_UPDATE_STATUS, tag.RESIDENCE_CARD_UPDATE_STATUS.front());
             // A value that is not a number is not the number 1.
             updateStatusBool = updateStatus && !Utility().isDataAllEmpty(*updateStatus) && ResidenceCardFiles::decimal(updateStatus) == 1;
             return std::nullopt;
           }),
      plain(cmd.selectResidenceCardDF3),
      read(cmd.SELECT_RESIDENCE_CARD_SIGNATURES, [this](const Bytes& data) { return keepSignatures(data); }),
  };
  for (std::size_t i = 12; i <= 14; ++i) steps[i].skipped = notTypeOne;
  return steps;
}

Failure ResidenceCardInfoReader::keepCardType(const Bytes& data) {
  const ConstTag tag;
  cardType = Ber::entry(Ber().parse(data, tag.RESIDENCE_CARD_CARD_TYPE, false), tag.RESIDENCE_CARD_CARD_TYPE.front());
  const auto number = ResidenceCardFiles::cardTypeNumber(data);
  if (!number) return ResidenceCardError::cardConnectionFailed();
  cardTypeNumber_ = *number;
  return std::nullopt;
}

Failure ResidenceCardInfoReader::authenticate(const Bytes& challenge) {
  const auto random = platform() && platform()->random ? platform()->random : RandomSource::system();
  mutualAuthenticate_ = sm_.mutualAuthenticate(pinResidenceCard.value_or(""), challenge, *random);
  if (!mutualAuthenticate_) return ResidenceCardError::cardConnectionFailed();
  return std::nullopt;
}

Failure ResidenceCardInfoReader::acceptCard(const Bytes& answer) {
  if (sm_.acceptCardAuthentication(answer)) verify_ = sm_.verify(pinResidenceCard.value_or(""));
  if (!verify_) return ResidenceCardError::cardConnectionFailed();
  return std::nullopt;
}

Failure ResidenceCardInfoReader::keepProtectedFile(const Bytes& answer, bool frontImage) {
  const ConstDataLength length;
  const auto file = sm_.unwrap(answer, static_cast<std::size_t>(frontImage ? length.RESIDENCE_CARD_CARD_ENTRIES_PADDING
                                                                           : length.RESIDENCE_CARD_PHOTO_PADDING));
  // The raw file is kept whether or not it holds its element; a missing element leaves the value
  // absent.
  std::optional<Bytes> value;
  if (!file || !ResidenceCardFiles::protectedFileValue(*file, frontImage, value)) {
    return ResidenceCardError::cardConnectionFailed();
  }
  if (frontImage) {
    cardEntries = value;
    cardEntriesSrc = file;
  } else {
    photo = Utility().binaryEmptyToNil(value);
    photoSrc = file;
  }
  return std::nullopt;
}

Failure ResidenceCardInfoReader::keepSignatures(const Bytes& data) {
  const auto values = ResidenceCardFiles::signaturesFile(data);
  if (!values) return ResidenceCardError::cardConnectionFailed();
  rawCheckCode_ = values->first;
  rawCertificate_ = values->second;
  const Utility utility;
  checkCode = utility.binaryEmptyToNil(rawCheckCode_);
  signature = utility.binaryEmptyToNil(rawCertificate_);
  // Signatures with only one of the two values cannot be checked: the card is malformed.
  if (checkCode.has_value() != signature.has_value()) return ResidenceCardError::cardConnectionFailed();
  return std::nullopt;
}

void ResidenceCardInfoReader::chainStarted() { ReaderSupport::didGetPin(idetifyDelegate, ""); }

void ResidenceCardInfoReader::chainFinished() {
  const Utility utility;
  if (utility.isSignatureAndCertificateEmpty(checkCode, signature)) infoType = 2;
  if (utility.is16YearsUnderForResidenceCard(photo, checkCode, signature)) infoType = 1;

  if (utility.isConstantValueForResidenceCard(rawCheckCode_, rawCertificate_)) {
    endWithError();
    deliverFailure(ResidenceCardError::failVerifySignatureConstantValue());
    ReaderSupport::didGetPin(idetifyDelegate, "");
    return;
  }
  if (cardTypeNumber_ == 1) std::clog << "isConst" << std::endl;

  if (infoType != 0) {
    succeed();
    return;
  }
  RCSignatures.emplace(checkCode, signature);
  const ResidenceCard card = record();
  if (appId) {
    std::clog << "Send Request" << std::endl;
    if (!request(card.getSignature(), card.getVerifyingParams(), card.getHashData())) {
      endWithError();
      ReaderSupport::didGetPin(idetifyDelegate, "");
      return;
    }
  }
  std::clog << "Response OK" << std::endl;
  succeed();
}

bool ResidenceCardInfoReader::request(const std::optional<std::string>& signature_,
                                      const std::optional<std::string>& verifyingParams,
                                      const std::optional<std::string>& hashData) {
  // A card with signatures but without what they sign (no photo): nothing can be verified.
  if (!signature_ || !verifyingParams || !hashData) {
    deliverFailure(ResidenceCardError::failVerifySignature());
    return false;
  }
  const Const c;
  const auto body = Utility().createRequestBody(*hashData, *signature_, *verifyingParams, "0",
                                                c.CARD_TYPE_RESIDENCE_CARD, c.REQ_TYPE_RESIDENCE_CARD, appId.value_or(""));
  const std::string url =
      platform() && !platform()->verificationUrl.empty() ? platform()->verificationUrl : c.SIGNATURE_VERIFICATION_URL;
  const HTTPClient client = platform() ? HTTPClient(httpConnectionTimeOut, *platform()) : HTTPClient(httpConnectionTimeOut);
  const auto [response, timedOut] = client.post(url, {}, body);
  if (const auto failure = ReaderSupport::verificationFailure<ResidenceCardError>(response, timedOut)) {
    deliverFailure(*failure);
    return false;
  }
  return true;
}

ResidenceCard ResidenceCardInfoReader::record() const {
  return ResidenceCard(commonData, cardTypeNumber_, cardEntries, photo, RCAddresses, comprehensivePermission,
                       individualPermission, updateStatusBool, infoType, RCSignatures, cardEntriesSrc, photoSrc);
}

void ResidenceCardInfoReader::succeed() {
  deliverToHost(delegate, [&](auto& host) { host.didGetResidenceCard(record()); });
  hasApduResponse = true;
  endWithSuccess();
  ReaderSupport::didGetPin(idetifyDelegate, "");
}

void ResidenceCardInfoReader::fail(const ResidenceCardError& error) {
  deliverFailure(error);
  endWithError();
  ReaderSupport::didGetPin(idetifyDelegate, "");
}

bool ResidenceCardInfoReader::tagRefused(const std::optional<NFCError>&) {
  // A tag that cannot take the chain ends the request at once, reported once.
  hasApduResponse = true;
  fail(ResidenceCardError::cardConnectionFailed());
  return true;
}

void ResidenceCardInfoReader::deliverFailure(const ResidenceCardError& error) {
  deliverToHost(delegate, [&](auto& host) { host.didGetResidenceCard(std::unexpected(error)); });
}

}  // namespace ekyc
