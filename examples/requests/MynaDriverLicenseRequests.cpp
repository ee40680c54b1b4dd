// myna-driver-license, card-print-and-myna-driver-license, sign-basic-info-and-myna-driver-license:
// the licence data recorded on the Individual Number Card, alone, with the card surface, or with a
// signature by the JPKI signature key and the four basic items, each in one tap through the facade,
// on the whole virtual Individual Number Card (or the card held to a PC/SC reader). With --app-id
// the data is verified by the verification endpoint (the stand-in started here unless --endpoint
// is given). PIN slots: MYNA_DRIVERLICENSE_PIN (4 digits; the virtual card's is 1357),
// MYNUMBERCARD_CARDPRINTINFO_PIN (14 digits), MYNUMBERCARD_SIGNER_PIN (6 to 16 letters and digits);
// a PIN not preset is asked for on the terminal.
#include <memory>
#include <mutex>
#include <optional>

#include "../DemoContext.hpp"
#include "../DemoRequest.hpp"
#include "CardPrintInfoAndMynaDriverLicense/CardPrintInfoAndMynaDriverLicenseReader.hpp"
#include "Identify/Identify.hpp"
#include "MynaDriverLicense/MynaDriverLicenseReader.hpp"
#include "Platform/Base64.hpp"
#include "Platform/Json.hpp"
#include "Platform/VirtualCard/CardSurfaceApplications.hpp"
#include "Platform/VirtualCard/JpkiApplication.hpp"
#include "Platform/VirtualCard/MynaDriverLicenseApplication.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMynaDriverLicense/SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader.hpp"
#include "Utility/ConstResult.hpp"

namespace ekyc::demo {

namespace {

nlohmann::json texts(const std::optional<std::vector<std::optional<std::string>>>& list) {
  if (!list) return nullptr;
  nlohmann::json out = nlohmann::json::array();
  for (const auto& item : *list) out.push_back(item ? nlohmann::json(*item) : nlohmann::json(nullptr));
  return out;
}

nlohmann::json data(const std::optional<std::vector<std::optional<Bytes>>>& list) {
  if (!list) return nullptr;
  nlohmann::json out = nlohmann::json::array();
  for (const auto& item : *list) out.push_back(item ? nlohmann::json(Base64::encode(*item)) : nlohmann::json(nullptr));
  return out;
}

template <class T>
nlohmann::json optional(const std::optional<T>& value) {
  return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

// What the host can read of the licence data (the photo as its size).
nlohmann::json licenceJson(const MynaDriverLicense& d) {
  const auto photo = d.getPhoto();
  return {{"historyRecordDate", optional(d.getHistoryRecordDate())},
          {"driverClass", optional(d.getDriverClass())},
          {"colorClass", optional(d.getColorClass())},
          {"expireDate", optional(d.getExpireData())},
          {"conditions", texts(d.getConditionList())},
          {"omittedCharacters", data(d.getOmittedCharacterList())},
          {"remarks", texts(d.getRemarkList())},
          {"spare", texts(d.getSpareList())},
          {"licenseRecordNumber", optional(d.getLicenseRecordNumber())},
          {"historyRecordNumber", optional(d.getHistoryRecordNumber())},
          {"obtainedDates", texts(d.getLicenseObtainedDateList())},
          {"categories", data(d.getLicenseCategoryList())},
          {"photoBytes", photo ? nlohmann::json(photo->size()) : nlohmann::json(nullptr)},
          {"serial", optional(d.getSerial())},
          {"issuer", optional(d.getIssuer())},
          {"subject", optional(d.getSubject())},
          {"hashData", optional(d.getHashData())}};
}

std::string b64(const std::optional<Bytes>& bytes) { return bytes ? Base64::encode(*bytes) : ""; }

// One delegate for the three result protocols; keeps the outcome as the demo prints it.
class Outcome : public MynaDriverLicenseReaderDelegate,
                public CardPrintInfoAndMynaDriverLicenseReaderDelegate,
                public SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate,
                public DemoOutcomeSlot {
 public:
  void didGetMynaDriverLicense(const std::expected<MynaDriverLicense, MynaDriverLicenseError>& r) override {
    keep(r, [](const MynaDriverLicense& v) { return nlohmann::json{{"mynaDriverLicense", licenceJson(v)}}; });
  }
  void didGetCardPrintInfoAndGetMynaDriverLicense(
      const std::expected<CardPrintInfoAndMynaDriverLicense, CardPrintInfoAndMynaDriverLicenseError>& r) override {
    keep(r, [](const CardPrintInfoAndMynaDriverLicense& v) {
      nlohmann::json both = nlohmann::json::object();
      if (v.getCardPrintInfo()) both["cardPrintInfo"] = v.getCardPrintInfo()->asDictionary();
      if (v.getMynaDriverLicense()) both["mynaDriverLicense"] = licenceJson(*v.getMynaDriverLicense());
      return both;
    });
  }
  void didSignAndGetBasicPersonalInfoAndGetMynaDriverLicense(
      const std::expected<SignatureDataAndBasicPersonalInfoAndMynaDriverLicense,
                          SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseError>& r) override {
    keep(r, [](const SignatureDataAndBasicPersonalInfoAndMynaDriverLicense& v) {
      nlohmann::json all = nlohmann::json::object();
      if (const auto& s = v.getSignatureData()) {
        all["signatureData"] = {{"signature", b64(s->signature())}, {"tbsData", b64(s->tbsData())},
                                {"hashAlgOid", s->hashAlgOid().value_or("")}};
      }
      if (v.getBasicPersonalInfo()) {
        all["basicPersonalInfo"] = Json::parse(v.getBasicPersonalInfo()->toJson()).value_or(nullptr);
      }
      if (v.getMynaDriverLicense()) all["mynaDriverLicense"] = licenceJson(*v.getMynaDriverLicense());
      return all;
    });
  }

 private:
  template <class Record, class Error, class ToJson>
  void keep(const std::expected<Record, Error>& result, ToJson toJson) {
    DemoOutcome outcome = result ? DemoOutcome::success(toJson(*result))
                                 : DemoOutcome::failure(result.error().errorCode, result.error().localizedDescription);
    store(std::move(outcome));
  }
};

enum class Kind { licence, cardPrint, sign };

// The whole virtual Individual Number Card: card surface, input support, JPKI and licence data.
std::shared_ptr<VirtualCard> wholeCard() {
  auto card = CardSurfaceApplications::makeCard();
  static const VirtualJpkiContents::Keys keys = VirtualJpkiContents::Keys::generate();
  JpkiApplication::install(*card, VirtualJpkiContents::make(keys));
  MynaDriverLicenseApplication::install(*card, MynaDriverLicenseApplication::make());
  return card;
}

DemoOutcome run(DemoContext& context, Kind kind) {
  context.presentCard(wholeCard);
  const auto& appId = context.appId();
  if (appId && !context.ensureVerificationEndpoint()) return DemoOutcome::failure(16999, ConstResult().text(16999));
  auto identify = context.identify();
  auto outcome = std::make_shared<Outcome>();
  outcome->runLoop = context.runLoop();
  const auto pinTexts = context.pinTexts();
  const auto nfcTexts = context.nfcTexts();
  const std::string tbsData = Base64::encode(toBytes("ekyc-demo: licence consent 0001"));
  switch (kind) {
    case Kind::licence:
      appId ? identify->getMynaDriverLicense(outcome, appId, pinTexts, nfcTexts)
            : identify->getMynaDriverLicense(outcome, pinTexts, nfcTexts);
      break;
    case Kind::cardPrint:
      appId ? identify->getCardPrintInfoAndGetMynaDriverLicense(outcome, appId, pinTexts, nfcTexts)
            : identify->getCardPrintInfoAndGetMynaDriverLicense(outcome, pinTexts, nfcTexts);
      break;
    case Kind::sign:
      appId ? identify->signAndGetBasicPersonalInfoAndGetMynaDriverLicense(outcome, appId, tbsData, "SHA-256", true,
                                                                           pinTexts, nfcTexts)
            : identify->signAndGetBasicPersonalInfoAndGetMynaDriverLicense(outcome, tbsData, "SHA-256", true, pinTexts,
                                                                           nfcTexts);
      break;
  }
  // Wait too for the facade to let go and the verification to end, so the session has ended.
  if (!context.runUntil([&] { return outcome->taken().has_value() && !identify->hasReader(); })) {
    return DemoOutcome::failure(99999, ConstResult().text(99999));
  }
  return *outcome->taken();
}

}  // namespace

}  // namespace ekyc::demo

EKYC_DEMO_REQUEST(mynaDriverLicense, "myna-driver-license",
                  "the licence data on the Individual Number Card",
                  {"MYNA_DRIVERLICENSE_PIN"},
                  [](ekyc::demo::DemoContext& c) { return ekyc::demo::run(c, ekyc::demo::Kind::licence); })
EKYC_DEMO_REQUEST(cardPrintAndMynaDriverLicense, "card-print-and-myna-driver-license",
                  "the card surface and the licence data in one tap",
                  {"MYNUMBERCARD_CARDPRINTINFO_PIN", "MYNA_DRIVERLICENSE_PIN"},
                  [](ekyc::demo::DemoContext& c) { return ekyc::demo::run(c, ekyc::demo::Kind::cardPrint); })
EKYC_DEMO_REQUEST(signBasicInfoAndMynaDriverLicense, "sign-basic-info-and-myna-driver-license",
                  "signs with the JPKI signature key, reads the four basic items and the licence data",
                  {"MYNUMBERCARD_SIGNER_PIN", "MYNA_DRIVERLICENSE_PIN"},
                  [](ekyc::demo::DemoContext& c) { return ekyc::demo::run(c, ekyc::demo::Kind::sign); })
