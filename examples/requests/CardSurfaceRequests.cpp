// my-number, card-print, card-print-and-my-number, prompted-pii: the readers of the card-surface
// and input-support applications through the facade, on the virtual Individual Number Card (or
// the card held to a PC/SC reader). With --app-id the data is verified first by the verification
// endpoint (the stand-in started here unless --endpoint is given). PIN slots:
// MYNUMBERCARD_MYNUMBER_PIN (12 digits), MYNUMBERCARD_CARDPRINTINFO_PIN (14 digits),
// MYNUMBERCARD_PROMPTED_PII_PIN (4 digits); a PIN not preset is asked for on the terminal.
#include <memory>
#include <mutex>
#include <optional>

#include "../DemoContext.hpp"
#include "../DemoRequest.hpp"
#include "CardPrintInfo/CardPrintInfoReader.hpp"
#include "CardPrintInfoAndMyNumberInfo/CardPrintInfoAndMyNumberInfoReader.hpp"
#include "Identify/Identify.hpp"
#include "MyNumber/MyNumberInfoReader.hpp"
#include "Platform/VirtualCard/CardSurfaceApplications.hpp"
#include "PromptedPii/PromptedPiiReader.hpp"
#include "Utility/ConstResult.hpp"

namespace ekyc::demo {

namespace {

// One delegate for the four result protocols; keeps the outcome as the demo prints it.
class Outcome : public MyNumberInfoReaderDelegate,
                public CardPrintInfoReaderDelegate,
                public PromptedPiiReaderDelegate,
                public CardPrintInfoAndMyNumberInfoReaderDelegate,
                public DemoOutcomeSlot {
 public:
  void didGetMyNumberInfo(const std::expected<MyNumberInfo, MyNumberInfoError>& r) override {
    keep(r, [](const MyNumberInfo& v) { return nlohmann::json(v.asDictionary()); });
  }
  void didGetCardPrintInfo(const std::expected<CardPrintInfo, CardPrintInfoError>& r) override {
    keep(r, [](const CardPrintInfo& v) { return nlohmann::json(v.asDictionary()); });
  }
  void didGetPromptedPii(const std::expected<PromptedPii, PromptedPiiError>& r) override {
    keep(r, [](const PromptedPii& v) { return nlohmann::json(v.asDictionary()); });
  }
  void didGetCardPrintInfoAndGetMyNumber(
      const std::expected<CardPrintInfoAndMyNumberInfo, CardPrintInfoAndMyNumberInfoError>& r) override {
    keep(r, [](const CardPrintInfoAndMyNumberInfo& v) {
      nlohmann::json both = nlohmann::json::object();
      if (v.getCardPrintInfo()) both["cardPrintInfo"] = v.getCardPrintInfo()->asDictionary();
      if (v.getMyNumberInfo()) both["myNumberInfo"] = v.getMyNumberInfo()->asDictionary();
      return both;
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

enum class Kind { myNumber, cardPrint, both, promptedPii };

DemoOutcome run(DemoContext& context, Kind kind) {
  context.presentCard([] { return CardSurfaceApplications::makeCard(); });
  const auto& appId = context.appId();
  if (appId && !context.ensureVerificationEndpoint()) {
    return DemoOutcome::failure(16999, ConstResult().text(16999));
  }
  auto identify = context.identify();
  auto outcome = std::make_shared<Outcome>();
  outcome->runLoop = context.runLoop();
  const auto pinTexts = context.pinTexts();
  const auto nfcTexts = context.nfcTexts();
  switch (kind) {
    case Kind::myNumber:
      appId ? identify->getMyNumber(outcome, appId, pinTexts, nfcTexts)
            : identify->getMyNumber(outcome, pinTexts, nfcTexts);
      break;
    case Kind::cardPrint:
      appId ? identify->getCardPrintInfo(outcome, appId, pinTexts, nfcTexts)
            : identify->getCardPrintInfo(outcome, pinTexts, nfcTexts);
      break;
    case Kind::both:
      appId ? identify->getCardPrintInfoAndGetMyNumber(outcome, appId, pinTexts, nfcTexts)
            : identify->getCardPrintInfoAndGetMyNumber(outcome, pinTexts, nfcTexts);
      break;
    case Kind::promptedPii:
      appId ? identify->getPromptedPii(outcome, appId, pinTexts, nfcTexts)
            : identify->getPromptedPii(outcome, pinTexts, nfcTexts);
      break;
  }
  // The result comes on the session's queue; the run loop serves the PIN dialogs meanwhile. Wait
  // too for the facade to let go, so that the session has ended before the demo exits.
  if (!context.runUntil([&] { return outcome->taken().has_value() && !identify->hasReader(); })) {
    return DemoOutcome::failure(99999, ConstResult().text(99999));
  }
  return *outcome->taken();
}

}  // namespace

}  // namespace ekyc::demo

EKYC_DEMO_REQUEST(myNumber, "my-number", "the individual number",
                  {"MYNUMBERCARD_MYNUMBER_PIN"},
                  [](ekyc::demo::DemoContext& c) { return ekyc::demo::run(c, ekyc::demo::Kind::myNumber); })
EKYC_DEMO_REQUEST(cardPrint, "card-print", "the card surface",
                  {"MYNUMBERCARD_CARDPRINTINFO_PIN"},
                  [](ekyc::demo::DemoContext& c) { return ekyc::demo::run(c, ekyc::demo::Kind::cardPrint); })
EKYC_DEMO_REQUEST(cardPrintAndMyNumber, "card-print-and-my-number",
                  "the card surface and the individual number in one tap",
                  {"MYNUMBERCARD_CARDPRINTINFO_PIN", "MYNUMBERCARD_MYNUMBER_PIN"},
                  [](ekyc::demo::DemoContext& c) { return ekyc::demo::run(c, ekyc::demo::Kind::both); })
EKYC_DEMO_REQUEST(promptedPii, "prompted-pii", "the input-support data",
                  {"MYNUMBERCARD_PROMPTED_PII_PIN"},
                  [](ekyc::demo::DemoContext& c) { return ekyc::demo::run(c, ekyc::demo::Kind::promptedPii); })
