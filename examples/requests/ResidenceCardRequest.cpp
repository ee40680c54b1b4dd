// residence-card: the residence card through the facade, on the virtual residence card (or the
// card held to a PC/SC reader), printed as its JSON record. The card number is the PIN slot
// RESIDENCECARD_PIN (12 letters and digits; asked for on the terminal when not preset). With
// --app-id a card carrying signatures has them verified first by the verification endpoint (the
// stand-in started here unless --endpoint is given).
#include <memory>
#include <mutex>
#include <optional>

#include "../DemoContext.hpp"
#include "../DemoRequest.hpp"
#include "Identify/Identify.hpp"
#include "Platform/Json.hpp"
#include "Platform/VirtualCard/VirtualResidenceCard.hpp"
#include "ResidenceCard/ResidenceCardInfoReader.hpp"
#include "Utility/ConstResult.hpp"

namespace ekyc::demo {

namespace {

class ResidenceOutcome : public ResidenceCardInfoReaderDelegate, public DemoOutcomeSlot {
 public:
  void didGetResidenceCard(const std::expected<ResidenceCard, ResidenceCardError>& result) override {
    DemoOutcome outcome = result ? DemoOutcome::success(nlohmann::json(result->asDictionary()))
                                 : DemoOutcome::failure(result.error().errorCode, result.error().localizedDescription);
    store(std::move(outcome));
  }
};

DemoOutcome runResidenceCard(DemoContext& context) {
  context.presentCard([] { return VirtualResidenceCard::make(); });
  const auto& appId = context.appId();
  if (appId && !context.ensureVerificationEndpoint()) return DemoOutcome::failure(16999, ConstResult().text(16999));
  auto identify = context.identify();
  auto outcome = std::make_shared<ResidenceOutcome>();
  outcome->runLoop = context.runLoop();
  appId ? identify->getResidenceCard(outcome, appId, context.pinTexts(), context.nfcTexts())
        : identify->getResidenceCard(outcome, context.pinTexts(), context.nfcTexts());
  if (!context.runUntil([&] { return outcome->taken().has_value() && !identify->hasReader(); })) {
    return DemoOutcome::failure(99999, ConstResult().text(99999));
  }
  return *outcome->taken();
}

}  // namespace

}  // namespace ekyc::demo

EKYC_DEMO_REQUEST(residenceCard, "residence-card",
                  "the residence card; its PIN is the card number, AB12345678CD on the virtual card",
                  {"RESIDENCECARD_PIN"},
                  [](ekyc::demo::DemoContext& c) { return ekyc::demo::runResidenceCard(c); })
