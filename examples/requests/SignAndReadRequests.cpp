// The sign-and-read requests on a virtual Individual Number Card (JPKI application with fresh RSA
// keys, card-surface and input-support applications), or the card held to a PC/SC reader:
//   sign-and-my-number                 signs and reads the individual number (PINs
//                                      MYNUMBERCARD_SIGNER_PIN, virtual card ABCDEF123, and
//                                      MYNUMBERCARD_MYNUMBER_PIN, 12 digits);
//   sign-basic-info-and-my-number      also the four basic items of the signing certificate, their
//                                      hash folded into the signed data;
//   sign-basic-info-and-prompted-pii   signs, the four basic items, and the input-support data (PINs
//                                      MYNUMBERCARD_SIGNER_PIN and MYNUMBERCARD_PROMPTED_PII_PIN).
// With --app-id the individual-number data ("23") or the input-support data ("32") is verified by
// the endpoint (the stand-in started here unless --endpoint is given). Each prints the record's
// parts through their own forms.
#include <expected>
#include <memory>
#include <mutex>
#include <optional>

#include "../DemoContext.hpp"
#include "../DemoRecords.hpp"
#include "../DemoRequest.hpp"
#include "Identify/Identify.hpp"
#include "Platform/Json.hpp"
#include "Platform/VirtualCard/CardSurfaceApplications.hpp"
#include "Platform/VirtualCard/JpkiApplication.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMyNumberInfo/SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader.hpp"
#include "SignatureDataAndBasicPersonalInfoAndPromptedPii/SignatureDataAndBasicPersonalInfoAndPromptedPiiReader.hpp"
#include "SignatureDataAndMyNumberInfo/SignatureDataAndMyNumberInfoReader.hpp"
#include "Utility/ConstResult.hpp"

namespace ekyc::demo {

namespace {

const std::string DATA = Base64::encode(toBytes("ekyc-demo: data to sign 0001"));

// The parts of a record, each through its own form.
template <class Record>
nlohmann::json partsOf(const Record& record) {
  nlohmann::json parts = nlohmann::json::object();
  if (record.getSignatureData()) parts["signatureData"] = signatureJson(*record.getSignatureData());
  if constexpr (requires { record.getBasicPersonalInfo(); }) {
    if (record.getBasicPersonalInfo()) {
      parts["basicPersonalInfo"] = Json::parse(record.getBasicPersonalInfo()->toJson()).value_or(nullptr);
    }
  }
  if constexpr (requires { record.getMyNumberInfo(); }) {
    if (record.getMyNumberInfo()) parts["myNumberInfo"] = record.getMyNumberInfo()->asDictionary();
  }
  if constexpr (requires { record.getPromptedPii(); }) {
    if (record.getPromptedPii()) parts["promptedPii"] = record.getPromptedPii()->asDictionary();
  }
  return parts;
}

// One delegate for the three result protocols; keeps the outcome as the demo prints it.
class Outcome : public SignatureDataAndMyNumberInfoReaderDelegate,
                public SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate,
                public SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate,
                public DemoOutcomeSlot {
 public:
  void didSignAndGetMyNumberInfo(
      const std::expected<SignatureDataAndMyNumberInfo, SignatureDataAndMyNumberInfoError>& r) override {
    keep(r);
  }
  void didSignAndGetBasicPersonalInfoAndGetMyNumber(
      const std::expected<SignatureDataAndBasicPersonalInfoAndMyNumberInfo,
                          SignatureDataAndBasicPersonalInfoAndMyNumberInfoError>& r) override {
    keep(r);
  }
  void didSignAndGetBasicPersonalInfoAndGetPromptedPii(
      const std::expected<SignatureDataAndBasicPersonalInfoAndPromptedPii,
                          SignatureDataAndBasicPersonalInfoAndPromptedPiiError>& r) override {
    keep(r);
  }

 private:
  template <class Record, class Error>
  void keep(const std::expected<Record, Error>& result) {
    DemoOutcome outcome = result ? DemoOutcome::success(partsOf(*result))
                                 : DemoOutcome::failure(result.error().errorCode, result.error().localizedDescription);
    store(std::move(outcome));
  }
};

enum class Kind { myNumber, basicMyNumber, basicPromptedPii };

std::shared_ptr<VirtualCard> individualNumberCard() {
  auto card = std::make_shared<VirtualCard>("Individual Number Card");
  JpkiApplication::install(*card, VirtualJpkiContents::make(VirtualJpkiContents::Keys::generate()));
  CardSurfaceApplications::Options options;
  CardSurfaceApplications::install(*card, CardSurfaceFiles::build(options.holder, CardSurfaceKeys::shared()), options);
  return card;
}

DemoOutcome run(DemoContext& context, Kind kind) {
  context.presentCard(individualNumberCard);
  const auto& appId = context.appId();
  if (appId && !context.ensureVerificationEndpoint()) return DemoOutcome::failure(16999, ConstResult().text(16999));
  auto identify = context.identify();
  auto outcome = std::make_shared<Outcome>();
  outcome->runLoop = context.runLoop();
  const auto p = context.pinTexts();
  const auto n = context.nfcTexts();
  switch (kind) {
    case Kind::myNumber:
      appId ? identify->signAndGetMyNumber(outcome, appId, DATA, std::nullopt, p, n)
            : identify->signAndGetMyNumber(outcome, DATA, std::nullopt, p, n);
      break;
    case Kind::basicMyNumber:
      appId ? identify->signAndGetBasicPersonalInfoAndGetMyNumber(outcome, appId, DATA, std::nullopt, true, p, n)
            : identify->signAndGetBasicPersonalInfoAndGetMyNumber(outcome, DATA, std::nullopt, true, p, n);
      break;
    case Kind::basicPromptedPii:
      appId ? identify->signAndGetBasicPersonalInfoAndGetPromptedPii(outcome, appId, DATA, std::nullopt, true, p, n)
            : identify->signAndGetBasicPersonalInfoAndGetPromptedPii(outcome, DATA, std::nullopt, true, p, n);
      break;
  }
  // Wait too for the facade to let go, so that the session has ended before the demo exits.
  if (!context.runUntil([&] { return outcome->taken().has_value() && !identify->hasReader(); })) {
    return DemoOutcome::failure(99999, ConstResult().text(99999));
  }
  return *outcome->taken();
}

}  // namespace

}  // namespace ekyc::demo

EKYC_DEMO_REQUEST(signAndMyNumber, "sign-and-my-number",
                  "signs with the JPKI signature key and reads the individual number",
                  {"MYNUMBERCARD_SIGNER_PIN", "MYNUMBERCARD_MYNUMBER_PIN"},
                  [](ekyc::demo::DemoContext& c) { return ekyc::demo::run(c, ekyc::demo::Kind::myNumber); })
EKYC_DEMO_REQUEST(signBasicInfoAndMyNumber, "sign-basic-info-and-my-number",
                  "signs, reads the four basic items (folded into the signed data) and the individual number",
                  {"MYNUMBERCARD_SIGNER_PIN", "MYNUMBERCARD_MYNUMBER_PIN"},
                  [](ekyc::demo::DemoContext& c) { return ekyc::demo::run(c, ekyc::demo::Kind::basicMyNumber); })
EKYC_DEMO_REQUEST(signBasicInfoAndPromptedPii, "sign-basic-info-and-prompted-pii",
                  "signs, reads the four basic items and the input-support data",
                  {"MYNUMBERCARD_SIGNER_PIN", "MYNUMBERCARD_PROMPTED_PII_PIN"},
                  [](ekyc::demo::DemoContext& c) { return ekyc::demo::run(c, ekyc::demo::Kind::basicPromptedPii); })
