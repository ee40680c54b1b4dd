#pragma once
// The frame shared by the readers of the card-surface and input-support applications
// (MyNumberInfoReader, PromptedPiiReader, CardPrintInfoReader, CardPrintInfoAndMyNumberInfoReader)
// and of the licence-data application (MynaDriverLicenseReader,
// CardPrintInfoAndMynaDriverLicenseReader), and by the IC driving-licence reader
// (DriverLicenseInfoReader, whose request has the same skeleton: card type "driverlicense"), on the
// shared reader engine. What is its own:
//   - the application-id check of the verifying entries (14001);
//   - the PINs: one or two slots, each labelled for the reader's messages; the session begins once
//     all have passed;
//   - the chain, stated by each reader as a list of steps, each a command, the arguments of the
//     status check on its answer, and what to keep of the answer: a corrupt file (CardFileFormat),
//     or one without an element the request cannot do without, delivers cardConnectionFailed
//     (13999) and ends the session with the error text; an optional element that is missing stays
//     absent in the record;
//   - didGetPin("") right after the first command; a detection without tags waits for the end of
//     the session;
//   - the verification request: body, HTTPS post to the platform's endpoint, verdict.
// A reader adds its fields, its chain, its final steps and its delivery.
#include <array>
#include <cstddef>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CardPrintInfo/CardPrintInfo.hpp"
#include "Http/HTTPClient.hpp"
#include "MyNumber/MyNumberInfo.hpp"
#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "PromptedPii/PromptedPii.hpp"
#include "Reader/CardFileFormat.hpp"
#include "Reader/ReaderFrame.hpp"
#include "Reader/VerificationPost.hpp"
#include "TLV/Ber.hpp"
#include "Utility/Const.hpp"
#include "Utility/ConstApduCmd.hpp"
#include "Utility/ConstDataLength.hpp"
#include "Utility/ConstTag.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

template <class E>
class CardSurfaceReaderFrame : public ReaderFrame<E> {
  using Base = ReaderFrame<E>;

 public:
  std::optional<std::string> appId;
  std::optional<double> httpConnectionTimeOut;

 protected:
  using typename Base::PinSlot;
  using Base::deliverFailure;

  // One command of the chain and what to do with its answer.
  struct Step {
    std::function<NFCISO7816APDU()> command;
    SetPinKey checkKey;
    std::string checkLabel;
    // What to keep of the answer's data; false when the data lacks what the request needs.
    std::function<bool(const Bytes&)> keep;
    // In place of `keep`: what to keep, returning the failure that ends the request.
    std::function<std::optional<E>(const Bytes&)> judge{};
  };

  explicit CardSurfaceReaderFrame(ReaderContext context)
      : Base(context), httpConnectionTimeOut(context.httpConnectionTimeOut) {}

  // The reader's chain, built when the tag is connected.
  virtual std::vector<Step> chain() = 0;
  // What follows a successful answer to the last command.
  virtual void finish() = 0;

  // The verifying entry's check: stores the id; false (after 14001 and didGetPin("")) when it is
  // absent or empty.
  bool acceptAppId(const std::optional<std::string>& id) {
    appId = id;
    if (appId && !appId->empty()) return true;
    this->failBeforeSession(E::notSetAppId());
    return false;
  }

  // Takes each PIN in turn (preset, else from the dialog), validates it, and begins the session
  // once all have passed. A refusal or Cancel ends the request.
  void obtainPins(std::vector<PinSlot> slots) {
    Base::obtainPins(std::move(slots), [this] { this->beginScan(); });
  }

  // A step that selects, or verifies a PIN with a command built when it is sent.
  static Step step(NFCISO7816APDU command, SetPinKey key, std::function<bool(const Bytes&)> keep = {},
                   std::string label = {}) {
    return Step{[command] { return command; }, key, std::move(label), std::move(keep)};
  }

  // What to keep of a certificate file: its certificate (7F21, empty for an empty one), into
  // `into`, absent when the file has none; false when the file is corrupt, or has none and
  // `required`.
  static std::function<bool(const Bytes&)> keepCertificate(std::optional<Bytes>& into, bool required = true) {
    return [&into, required](const Bytes& data) {
      if (!CardFileFormat::isCertificateFile(data)) return false;
      into = CardFileFormat::certificate(data);
      return into.has_value() || !required;
    };
  }

  // What to keep of the individual-number file of the card-surface application: the signed source
  // (the image's whole element followed by the internal key's), the image and the signature (absent
  // when missing); false when the file is corrupt or lacks the image or the key data.
  static bool keepMyNumberInfo(const Bytes& data, std::optional<Bytes>& verifySrc, std::optional<Bytes>& image,
                               std::optional<Bytes>& signature) {
    const ConstTag tag;
    if (!CardFileFormat::isNumberImageFile(data) ||
        !CardFileFormat::holdsAll(data, tag.MYNUMBER_INFO, {tag.MYNUMBER_IMG, tag.MYNUMBER_INTERNAL_KEY}))
      return false;
    const auto whole = Ber().parseToTLV(data, tag.MYNUMBER_INFO, true);
    const auto imageElement = Ber::entry(whole, tag.MYNUMBER_IMG);
    const auto internalKey = Ber::entry(whole, tag.MYNUMBER_INTERNAL_KEY);
    if (!imageElement || !internalKey) return false;
    verifySrc = *imageElement;
    verifySrc->insert(verifySrc->end(), internalKey->begin(), internalKey->end());
    const auto values = Ber().parse(data, tag.MYNUMBER_INFO, true);
    image = Ber::entry(values, tag.MYNUMBER_IMG);
    signature = Ber::entry(values, tag.MYNUMBER_SIGNATURE);
    return true;
  }

  // The individual-number chain over both applications, the 12-digit PIN `r.pinMyNumber` verified
  // in each (EF 0013, EF 0014), into the reader's fields of those names: card-surface EF 0004 and
  // EF 0005, input-support EF 0001, EF 0003 and EF 0004. `label` goes in front of the VERIFY
  // messages; the checks of SELECT EF 0013 and EF 0014 name the individual-number PIN's slot (EF
  // 0014 `ef14Key` instead, when given), the other checks `otherKey`. A corrupt file, or one
  // without the image, its key data, the number or a certificate, ends the request with 13999; a
  // missing signature or digest stays absent.
  template <class Reader>
  static std::vector<Step> myNumberSteps(Reader& r, const std::string& label, SetPinKey otherKey,
                                         std::optional<SetPinKey> ef14Key = std::nullopt) {
    const ConstApduCmd cmd;
    const ConstDataLength length;
    const SetPinKey pinKey = SetPinKey::MYNUMBERCARD_MYNUMBER_PIN;
    const Step verify{[&r] { return ConstApduCmd().getVerifyAdpuCmd(toBytes(r.pinMyNumber.value_or(""))); }, pinKey,
                      label, {}};
    return {
        // Card-surface application.
        step(cmd.selectCardPrintAid, otherKey),
        step(cmd.selectEf13, pinKey),
        verify,
        step(cmd.selectEf04, otherKey),
        step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_CERT), otherKey, keepCertificate(r.certCardPrintInfo)),
        step(cmd.selectEf05, otherKey),
        step(cmd.getReadAdpuCmd(length.MYNUMBER_INFO), otherKey,
             [&r](const Bytes& data) {
               return keepMyNumberInfo(data, r.cardPrintInfoVerifySrc, r.myNumberImage, r.cardPrintInfoSignature);
             }),
        // Input-support application.
        step(cmd.selectCardPrintSupAid, otherKey),
        step(cmd.selectEf14, ef14Key.value_or(pinKey)),
        verify,
        step(cmd.selectEf01, otherKey),
        step(cmd.getReadAdpuCmd(length.MYNUMBER), otherKey,
             [&r](const Bytes& data) { return keepNumberFile(data, r.supportVerifySrc, r.myNumber); }),
        step(cmd.selectEf03, otherKey),
        step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_SUPPORT_SIGNATURE), otherKey,
             [&r](const Bytes& data) {
               const ConstTag tag;
               const auto values = integrityValues(data, {tag.MYNUMBER_HASH_BASIC_PERSONAL_INFO});
               if (!values) return false;
               r.supportSignature = Ber::entry(*values, tag.MYNUMBER_HASH_SIGNATURE);
               r.hashPersonalInfo = Ber::entry(*values, tag.MYNUMBER_HASH_BASIC_PERSONAL_INFO);
               return true;
             }),
        step(cmd.selectEf04, otherKey),
        step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_SUPPORT_CERT), otherKey, keepCertificate(r.certSupport)),
    };
  }

  // The verifying parameters of one side of a verification request: the certificate (a 7F21
  // value) as the key, with the other scope's digest when given. An empty certificate, like an
  // empty signature, cannot be verified: absent, so that postSides sends nothing (the record still
  // gives the parameters with the empty key).
  static std::optional<Bytes> sideVerifyingParams(const Bytes& certificate, const std::optional<Bytes>& hash) {
    if (certificate.empty()) return std::nullopt;
    return Utility().createJsonVerifyingParams(certificate, hash);
  }

  // After myNumberSteps: the two verifying-parameter texts, into the reader's fields.
  template <class Reader>
  static void keepMyNumberVerifyingParams(Reader& r) {
    r.cardPrintInfoVerifyingParams = sideVerifyingParams(*r.certCardPrintInfo, std::nullopt);
    r.supportVerifyingParams = sideVerifyingParams(*r.certSupport, r.hashPersonalInfo);
  }

  // After myNumberSteps: the individual-number record of the reader's fields.
  template <class Reader>
  static MyNumberInfo myNumberInfoOf(const Reader& r) {
    return MyNumberInfo(Ber::entry(*r.myNumber, ConstTag().MYNUMBER.front()), r.myNumberImage, r.hashPersonalInfo,
                        r.certCardPrintInfo, r.certSupport, r.cardPrintInfoSignature, r.supportSignature,
                        r.cardPrintInfoVerifySrc, r.supportVerifySrc);
  }

  // The individual-number verification request of type "21" (image side), "22" (number side) or
  // "23" (both) from the reader's fields; 18001 carries `label`. False for another type, with
  // nothing sent and nothing delivered.
  template <class Reader>
  bool myNumberRequest(const Reader& r, const std::string& reqType, const std::string& label = {}) {
    const Const c;
    const VerificationSide image{r.cardPrintInfoVerifySrc, true, r.cardPrintInfoSignature,
                                 r.cardPrintInfoVerifyingParams};
    const VerificationSide number{r.supportVerifySrc, true, r.supportSignature, r.supportVerifyingParams};
    if (reqType == c.REQ_TYPE_MYNUMBER_ALL) return postSides(reqType, image, number, label);
    if (reqType == c.REQ_TYPE_MYNUMBER_IMG) return postSides(reqType, image, std::nullopt, label);
    if (reqType == c.REQ_TYPE_MYNUMBER_TEXT) return postSides(reqType, std::nullopt, number, label);
    return false;
  }

  // The input-support chain after the application's 4-digit PIN `pin` (EF 0011), keeping its four
  // files exactly as read in the reader's fields myNumberRawData, personalInfoRawData,
  // signatureRawData and publicKeyCertRawData: the reader parses none of them, the record
  // interprets them (and gives absent for what does not parse). `label` goes in front of the
  // VERIFY messages; the other checks name `otherKey`.
  template <class Reader>
  static std::vector<Step> promptedPiiSteps(Reader& r, const std::optional<std::string>& pin, const std::string& label,
                                            SetPinKey otherKey) {
    const ConstApduCmd cmd;
    const ConstDataLength length;
    const SetPinKey pinKey = SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN;
    const auto keepInto = [](Bytes& into) {
      return [&into](const Bytes& data) {
        into = data;
        return true;
      };
    };
    return {
        step(cmd.selectCardPrintSupAid, otherKey),
        step(cmd.selectEf11, pinKey),
        Step{[&pin] { return ConstApduCmd().getVerifyAdpuCmd(toBytes(pin.value_or(""))); }, pinKey, label, {}},
        step(cmd.selectEf01, otherKey),
        step(cmd.getReadAdpuCmd(length.MYNUMBER), otherKey, keepInto(r.myNumberRawData)),
        step(cmd.selectEf02, otherKey),
        step(cmd.readBasicPersonalInfo, otherKey, keepInto(r.personalInfoRawData)),
        step(cmd.selectEf03, otherKey),
        step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_SUPPORT_SIGNATURE), otherKey,
             keepInto(r.signatureRawData)),
        step(cmd.selectEf04, otherKey),
        step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_SUPPORT_CERT), otherKey,
             keepInto(r.publicKeyCertRawData)),
    };
  }

  // The verification request of the input-support record's whole scope, with the type given; 18001
  // carries `label`. Files that lack an element the request needs give 13999 and nothing is sent.
  bool postPromptedPii(const std::string& reqType, const PromptedPii& promptedPii, const std::string& label = {}) {
    if (!promptedPiiComplete(promptedPii)) {
      deliverFailure(E::cardConnectionFailed());
      return false;
    }
    return postVerification(reqType, *promptedPii.getPromptedPiiHashData(), *promptedPii.getPromptedPiiSignature(),
                            *promptedPii.getPromptedPiiVerifyingParams(), label);
  }

  // Whether the record gives the three texts its verification posts (the expected hash needs the
  // number and the basic items; the signature DF33 and the certificate 7F21 must be there). An
  // empty signature or certificate is a value: it is posted, and the server's verdict decides.
  static bool promptedPiiComplete(const PromptedPii& promptedPii) {
    return promptedPii.getPromptedPiiHashData() && promptedPii.getPromptedPiiSignature() &&
           promptedPii.getPromptedPiiVerifyingParams();
  }

  // What to keep of the card-surface file, into the reader's fields of those names: the whole image
  // elements, their three SHA-256 digests (apart and joined, the signed source), the values and
  // the signature (absent when missing); false when the file is corrupt or lacks an element of the
  // signed source (DF22 to DF27).
  template <class Reader>
  static bool keepCardPrintInfo(Reader& reader, const Bytes& data) {
    const ConstTag tag;
    if (!CardFileFormat::isCardSurfaceFile(data) ||
        !CardFileFormat::holdsAll(data, tag.CARD_PRINT_INFO,
                                  {tag.CARD_P_INFO_DATEOFBIRTH, tag.CARD_P_INFO_GENDER, tag.CARD_P_INFO_IN_CERT,
                                   tag.CARD_P_INFO_NAME, tag.CARD_P_INFO_ADD, tag.CARD_P_INFO_PHOTO}))
      return false;
    const auto whole = Ber().parseToTLV(data, tag.CARD_PRINT_INFO, true);
    reader.responseCardPrintInfoVerifySrc = CardPrintInfo::imageElements(whole);
    const auto digests = CardPrintInfo::imageDigests(whole);
    if (!reader.responseCardPrintInfoVerifySrc || !digests) return false;
    reader.cardPrintInfoVerifySrcFst = Bytes(digests->begin(), digests->begin() + 32);
    reader.cardPrintInfoVerifySrcSec = Bytes(digests->begin() + 32, digests->begin() + 64);
    reader.cardPrintInfoVerifySrcTrd = Bytes(digests->begin() + 64, digests->end());
    reader.cardPrintInfoVerifySrc = digests;
    reader.dicCardPrintInfo = Ber().parse(data, tag.CARD_PRINT_INFO, true);
    reader.cardPrintInfoSignature = Ber::entry(*reader.dicCardPrintInfo, tag.CARD_P_INFO_SIGN);
    return true;
  }

  // What to keep of the individual-number file of the input-support application: the file as read
  // (the signed source) and its tag dictionary; false unless it holds the number as 12 digits.
  static bool keepNumberFile(const Bytes& data, std::optional<Bytes>& verifySrc,
                             std::optional<Ber::TagDictionary>& dictionary) {
    const ConstTag tag;
    if (!CardFileFormat::isNumberFile(data) || !CardFileFormat::holdsAll(data, tag.MYNUMBER, {tag.MYNUMBER.front()}))
      return false;
    verifySrc = data;
    dictionary = Ber().parse(data, tag.MYNUMBER, false);
    return true;
  }

  // What to keep of the basic-items file of the input-support application: the signed source (the
  // whole elements of the four items) and the values; false when the file is corrupt or lacks one.
  static bool keepBasicItems(const Bytes& data, std::optional<Bytes>& verifySrc,
                             std::optional<Ber::TagDictionary>& dictionary) {
    const ConstTag tag;
    if (!CardFileFormat::isBasicItemsFile(data) ||
        !CardFileFormat::holdsAll(data, tag.BASIC_PERSONAL_INFO,
                                  {tag.BASIC_P_INFO_NAME, tag.BASIC_P_INFO_ADD, tag.BASIC_P_INFO_DATEOFBIRTH,
                                   tag.BASIC_P_INFO_GENDER}))
      return false;
    verifySrc = basicPersonalInfoItems(Ber().parseToTLV(data, tag.BASIC_PERSONAL_INFO, true));
    dictionary = Ber().parse(data, tag.BASIC_PERSONAL_INFO, true);
    return verifySrc.has_value();
  }

  // The values of the integrity file of the input-support application (DF31, DF32, DF33, each
  // absent when missing); absent when the file is corrupt, or one of the `digests` the reader keeps
  // is not a digest.
  static std::optional<Ber::TagDictionary> integrityValues(const Bytes& data, const std::vector<std::string>& digests) {
    if (!CardFileFormat::isIntegrityFile(data, digests)) return std::nullopt;
    return Ber().parse(data, ConstTag().MYNUMBER_HASH, true);
  }

  // The sixteen commands that read the card surface with the card-surface PIN (the same VERIFY
  // in both applications), into the reader's fields of those names: card-surface application
  // (EF 0012 PIN, EF 0002 surface data, EF 0004 certificate), then input-support application
  // (EF 0015 PIN, EF 0002 basic items, EF 0003 hash and signature, EF 0004 certificate). `label`
  // goes in front of the PIN messages; a file without its certificate ends the request unless
  // `certificatesOptional`.
  template <class Reader>
  static std::vector<Step> cardPrintInfoChain(Reader& reader, const std::string& label = {},
                                              bool certificatesOptional = false) {
    const ConstApduCmd cmd;
    const ConstDataLength length;
    const ConstTag tag;
    const SetPinKey key = SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN;
    const auto verify = cmd.getVerifyAdpuCmd(toBytes(reader.pinCardPrintInfo.value_or("")));
    Reader* r = &reader;
    return {
        // Card-surface application.
        step(cmd.selectCardPrintAid, key, {}, label),
        step(cmd.selectEf12, key, {}, label),
        step(verify, key, {}, label),
        step(cmd.selectEf02, key, {}, label),
        step(cmd.readCardPrintInfo, key, [r](const Bytes& data) { return keepCardPrintInfo(*r, data); }, label),
        step(cmd.selectEf04, key, {}, label),
        step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_CERT), key,
             keepCertificate(reader.certCardPrintInfo, !certificatesOptional), label),
        // Input-support application.
        step(cmd.selectCardPrintSupAid, key, {}, label),
        step(cmd.selectEf15, key, {}, label),
        step(verify, key, {}, label),
        step(cmd.selectEf02, key, {}, label),
        step(cmd.readBasicPersonalInfo, key,
             [r](const Bytes& data) { return keepBasicItems(data, r->supportVerifySrc, r->dicBasicPersonalInfo); },
             label),
        step(cmd.selectEf03, key, {}, label),
        step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_SUPPORT_SIGNATURE), key,
             [r, tag](const Bytes& data) {
               const auto values = integrityValues(data, {tag.MYNUMBER_HASH_NUMBER});
               if (!values) return false;
               r->supportSignature = Ber::entry(*values, tag.MYNUMBER_HASH_SIGNATURE);
               r->hashMyNumberInfo = Ber::entry(*values, tag.MYNUMBER_HASH_NUMBER);
               return true;
             },
             label),
        step(cmd.selectEf04, key, {}, label),
        step(cmd.getReadAdpuCmd(length.CARD_PRINT_INFO_SUPPORT_CERT), key,
             keepCertificate(reader.certSupport, !certificatesOptional), label),
    };
  }

  // The record of what cardPrintInfoChain kept.
  template <class Reader>
  static CardPrintInfo cardPrintInfoRecord(const Reader& r) {
    return CardPrintInfo::fromCardFiles(*r.dicBasicPersonalInfo, *r.dicCardPrintInfo, r.hashMyNumberInfo,
                                        r.certCardPrintInfo, r.certSupport, r.cardPrintInfoSignature,
                                        r.supportSignature, r.responseCardPrintInfoVerifySrc, r.supportVerifySrc);
  }

  // The signed source of the basic items: the whole elements of name, address, date of birth and
  // gender, in this order; absent when one is missing.
  static std::optional<Bytes> basicPersonalInfoItems(const Ber::TagDictionary& whole) {
    const ConstTag tag;
    Bytes items;
    for (const auto& t : {tag.BASIC_P_INFO_NAME, tag.BASIC_P_INFO_ADD, tag.BASIC_P_INFO_DATEOFBIRTH,
                          tag.BASIC_P_INFO_GENDER}) {
      const auto element = Ber::entry(whole, t);
      if (!element) return std::nullopt;
      items.insert(items.end(), element->begin(), element->end());
    }
    return items;
  }

  // A failure found by the reader itself inside the session: delivered, then the error text.
  void fail(const E& error) {
    deliverFailure(error);
    this->endWithError();
  }

  // One side of a verification request: the signed source (sent as its SHA-256 digest, or as it is
  // when it already is digests), the card's signature and the verifying-parameters JSON.
  struct VerificationSide {
    std::optional<Bytes> source;
    bool hashSource = true;
    std::optional<Bytes> signature;
    std::optional<Bytes> verifyingParams;
  };

  // The request of a type with one side or both (card-surface side first, each member then the
  // base64 of a two-element array). A side the card left without source, signature (or with an
  // empty one) or verifying parameters (none for an empty certificate) cannot be sent:
  // cardConnectionFailed (13999) is delivered and false returned.
  bool postSides(const std::string& reqType, const std::optional<VerificationSide>& surface,
                 const std::optional<VerificationSide>& support, const std::string& label = {}) {
    const auto complete = [](const std::optional<VerificationSide>& side) {
      return !side || (side->source && side->signature && !side->signature->empty() && side->verifyingParams);
    };
    if ((!surface && !support) || !complete(surface) || !complete(support)) {
      deliverFailure(E::cardConnectionFailed());
      return false;
    }
    const auto texts = [](const VerificationSide& side) {
      return std::array<std::string, 3>{
          Base64::encode(side.hashSource ? Digest::sha256(*side.source) : *side.source),
          Base64::encode(*side.signature), Base64::encode(*side.verifyingParams)};
    };
    std::array<std::string, 3> members;
    if (surface && support) {
      const auto a = texts(*surface), b = texts(*support);
      const Utility utility;
      for (std::size_t i = 0; i < 3; ++i) members[i] = utility.createBase64EncodedArray(a[i], b[i]);
    } else {
      members = texts(surface ? *surface : *support);
    }
    return postVerification(reqType, members[0], members[1], members[2], label);
  }

  // Posts one verification request (card type "mynumber" unless given) and judges the answer.
  // True when the server answered "valid" true; otherwise the failure has been delivered (18001
  // carries `label`).
  bool postVerification(const std::string& reqType, const std::string& expectedHash, const std::string& signature,
                        const std::string& verifyingParams, const std::string& label = {},
                        const std::optional<std::string>& cardType = std::nullopt) {
    const VerificationPost exchange{this->platform(), httpConnectionTimeOut, appId.value_or("")};
    if (const auto failure = exchange.post<E>(reqType, expectedHash, signature, verifyingParams, label,
                                              cardType.value_or(Const().CARD_TYPE_MYNUMBER))) {
      deliverFailure(*failure);
      return false;
    }
    return true;
  }

 private:
  // A file that lacks an element the request needs ends it with cardConnectionFailed (13999).
  std::vector<typename Base::ChainStep> chainSteps() override {
    std::vector<typename Base::ChainStep> steps;
    for (auto& step : chain()) {
      std::function<std::optional<E>(const Bytes&)> keep = std::move(step.judge);
      if (step.keep) {
        keep = [kept = std::move(step.keep)](const Bytes& data) -> std::optional<E> {
          if (kept(data)) return std::nullopt;
          return E::cardConnectionFailed();
        };
      }
      steps.push_back({std::move(step.command), step.checkKey, std::move(step.checkLabel), std::move(keep)});
    }
    return steps;
  }

  // The back channel lets go as soon as the first command is on its way.
  void chainStarted() override { ReaderSupport::didGetPin(this->idetifyDelegate, ""); }

  void chainFinished() override { finish(); }
};

}  // namespace ekyc
