// Every request form of the facade on the card-reading side, one table, host -> Identify -> reader
// -> virtual card (-> stand-in): plain and verified on the in-process card, verified over PC/SC with
// the card served to a pcscd of the test's own through vpcd, and without NFC. Also the session
// ends before the first command, the same for the six whole-card readers.
#include "Identify/Identify.hpp"
#include "Platform/PcscCardReader.hpp"
#include "Platform/VirtualCard/PcscDaemon.hpp"
#include "Platform/VirtualCard/VpcdBridge.hpp"
#include "ResidenceCard/ResidenceCardTestSupport.hpp"
#include "SignAndRead/WholeCardRig.hpp"
#include "Support/PcscTestDaemon.hpp"

namespace ekyc::test {
namespace {

enum class Card { whole, licence, residence };
using Id = std::optional<std::string>;
using Code = std::function<std::optional<std::int64_t>()>;  // 0 for a record; nothing until the result

template <class R>
Code codeOf(std::shared_ptr<R> r) {
  return [r]() -> std::optional<std::int64_t> {
    const auto last = r->last();
    if (!last) return std::nullopt;
    return *last ? 0 : last->error().errorCode;
  };
}
Code codeOf(std::shared_ptr<WholeCardResults> r) {
  return [r]() -> std::optional<std::int64_t> {
    const auto o = r->outcome();
    if (o.results == 0) return std::nullopt;
    return o.ok ? 0 : o.code;
  };
}

// One form: the card it reads, the PINs the host stores (each its card's own; the two licence PINs
// differ, so a swap is refused), the request types it sends with an application id, and the call.
struct Form {
  std::string name;
  Card card;
  std::vector<std::pair<SetPinKey, std::string>> pins;
  std::vector<std::string> types;
  std::function<Code(Identify&, const Id&, const std::shared_ptr<EventLog>&)> call;
};

// The call of facade form `method` with results delegate `Results`; any arguments between the
// application id and the texts follow.
#define FORM(Results, method, ...)                                                    \
  [=](Identify& i, const Id& a, const std::shared_ptr<EventLog>& log) {              \
    auto r = std::make_shared<Results>(log);                                          \
    a ? i.method(r, a __VA_OPT__(, ) __VA_ARGS__, p, n) : i.method(r __VA_OPT__(, ) __VA_ARGS__, p, n); \
    return codeOf(r);                                                                 \
  }

std::vector<Form> forms() {
  using K = SetPinKey;
  using W = WholeCardResults;
  const auto h = CardSurfaceHolder::sample();
  const std::string licencePin = MynaDriverLicenseApplication::make().pin, signer = "abcdef123";
  const VirtualDriverLicense::Options licence;
  const Id tbs = "ZWt5YyB0ZXN0IGRhdGE=", hash;
  const auto p = pinTexts();
  const auto n = nfcTexts();
  const std::pair<K, std::string> cp{K::MYNUMBERCARD_CARDPRINTINFO_PIN, h.cardPrintInfoPin},
      mn{K::MYNUMBERCARD_MYNUMBER_PIN, h.myNumberPin}, pii{K::MYNUMBERCARD_PROMPTED_PII_PIN, h.promptedPiiPin},
      sign{K::MYNUMBERCARD_SIGNER_PIN, signer}, dl{K::MYNA_DRIVERLICENSE_PIN, licencePin};
  return {
      {"getMyNumber", Card::whole, {mn}, {"23"}, FORM(MyNumberResults, getMyNumber)},
      {"getCardPrintInfo", Card::whole, {cp}, {"13"}, FORM(CardPrintResults, getCardPrintInfo)},
      {"getCardPrintInfoAndGetMyNumber", Card::whole, {cp, mn}, {"13", "23"},
       FORM(BothResults, getCardPrintInfoAndGetMyNumber)},
      {"getPromptedPii", Card::whole, {pii}, {"32"}, FORM(PromptedPiiResults, getPromptedPii)},
      {"signAndGetMyNumber", Card::whole, {sign, mn}, {"23"}, FORM(W, signAndGetMyNumber, tbs, hash)},
      {"signAndGetBasicPersonalInfoAndGetMyNumber", Card::whole, {sign, mn}, {"23"},
       FORM(W, signAndGetBasicPersonalInfoAndGetMyNumber, tbs, hash, true)},
      {"signAndGetBasicPersonalInfoAndGetPromptedPii", Card::whole, {sign, pii}, {"32"},
       FORM(W, signAndGetBasicPersonalInfoAndGetPromptedPii, tbs, hash, true)},
      {"getMynaDriverLicense", Card::whole, {dl}, {"43"}, FORM(W, getMynaDriverLicense)},
      {"getCardPrintInfoAndGetMynaDriverLicense", Card::whole, {cp, dl}, {"13", "43"},
       FORM(W, getCardPrintInfoAndGetMynaDriverLicense)},
      {"signAndGetBasicPersonalInfoAndGetMynaDriverLicense", Card::whole, {sign, dl}, {"43"},
       FORM(W, signAndGetBasicPersonalInfoAndGetMynaDriverLicense, tbs, hash, true)},
      {"getDriverLicense", Card::licence, {{K::DRIVERLICENSE_PIN1, licence.pin1}, {K::DRIVERLICENSE_PIN2, licence.pin2}},
       {"11"}, FORM(DriverLicenseResults, getDriverLicense)},
      {"getResidenceCard", Card::residence, {{K::RESIDENCECARD_PIN, VirtualResidenceCard::Options().cardNumber}}, {"11"},
       FORM(ResidenceResults, getResidenceCard)},
  };
}
#undef FORM

std::shared_ptr<VirtualCard> makeCard(Card card, WholeCardRig& rig) {
  switch (card) {
    case Card::whole: return rig.makeWholeCard();
    case Card::licence: return VirtualDriverLicense::makeCard(rig.licenceFiles, rig.licenceOptions);
    case Card::residence: return VirtualResidenceCard::make(VirtualResidenceCard::Options());
  }
  return nullptr;
}

// Runs `form` on a new facade with its PINs stored; the result's code (nothing when none came), the
// store checked empty afterwards.
std::optional<std::int64_t> runForm(WholeCardRig& rig, const Form& form, const Id& appId) {
  auto identify = Identify::create(rig.viewController, 10.0, rig.platform);
  for (const auto& [key, pin] : form.pins) identify->setPin(key, pin);
  Code code;
  rig.runLoop->post([&] { code = form.call(*identify, appId, rig.log); });
  EXPECT_TRUE(pumpUntil(*rig.runLoop, [&] {
    return code && code() && !identify->hasReader() && rig.platform.cardReader->activeSessionCount() == 0;
  }, std::chrono::seconds(60))) << form.name;
  for (const auto& [key, pin] : identify->pinDic()) EXPECT_FALSE(pin) << form.name << ": a PIN kept after the request";
  EXPECT_EQ(identify->pinForSigner(), "") << form.name;
  return code ? code() : std::nullopt;
}

// Plain, each form reads its card and asks nothing; verified, it sends its types, and a request type
// has the same body whichever form sends it for the same card.
TEST(IdentifyFormsTest, EachFormPlainAndVerified) {
  std::map<std::string, std::string> bodies;
  for (const auto& form : forms()) {
    for (const Id& appId : {Id(), Id("tenant")}) {
      WholeCardRig rig;
      rig.startServer();
      rig.card = makeCard(form.card, rig);
      rig.cardReader->present(rig.card);
      EXPECT_EQ(runForm(rig, form, appId), 0) << form.name << (appId ? " verified" : "");
      EXPECT_EQ(rig.server->receivedRequestTypes(), appId ? form.types : std::vector<std::string>{}) << form.name;
      for (const auto& received : rig.server->receivedRequests()) {
        if (!received.request || form.card != Card::whole) continue;
        const auto [at, first] = bodies.emplace(received.request->reqType, received.body);
        EXPECT_EQ(at->second, received.body) << form.name << " " << received.request->reqType;
      }
    }
  }
}

TEST(IdentifyFormsTest, WithoutNfcEachFormDelivers11001) {
  for (const auto& form : forms()) {
    WholeCardRig rig;
    rig.platform.cardReader = nullptr;
    auto identify = Identify::create(rig.viewController, 10.0, rig.platform);
    EXPECT_EQ(form.call(*identify, Id("tenant"), rig.log)(), 11001) << form.name;
  }
}

// Over PC/SC, one pcscd and one card in the reader for the forms of each card.
TEST(IdentifyFormsTest, EachFormVerifiedOverPcscWithVpcd) {
  std::unique_ptr<PcscDaemon> daemon;
  std::unique_ptr<VpcdBridge> bridge;
  std::optional<Card> served;
  for (const auto& form : forms()) {
    WholeCardRig rig;
    if (served != form.card) {
      bridge.reset();
      daemon.reset();
      EKYC_START_PCSCD_OR_SKIP(daemon);
      bridge = std::make_unique<VpcdBridge>(makeCard(form.card, rig), daemon->vpcdPort());
      ASSERT_TRUE(bridge->start()) << daemon->log();
      served = form.card;
    }
    rig.platform.cardReader = std::make_shared<PcscCardReader>(daemon->readerName());
    rig.platform.sessionTimeout = std::chrono::seconds(20);
    rig.startServer();
    EXPECT_EQ(runForm(rig, form, "tenant"), 0) << form.name;
    EXPECT_EQ(rig.server->receivedRequestTypes(), form.types) << form.name;
  }
}

TEST(WholeCardSessionTest, SessionEndsBeforeTheFirstCommandAreOneResult) {
  const std::string lost = "Tag connection lost";
  for (const auto kind : ALL_REQUESTS) {
    // Cancelled while waiting for the card, no session at all, (licence data) a card that cannot be connected.
    for (const std::int64_t code : {13700, 13500, 13999}) {
      if (code == 13999 && !isLicence(kind)) continue;
      WholeCardRig rig;
      if (code == 13999) {
        rig.presentWholeCard();
        rig.cardReader->setConnectFailure(
            NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagConnectionLost, lost));
      } else {
        rig.cardReader->failNextWait(NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorUserCanceled));
      }
      if (code == 13500) rig.platform.cardReader = nullptr;
      const auto out = rig.run(kind);
      EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"result(" + std::to_string(code) + ")", "didGetPin()"}))
          << nameOf(kind);
      if (code == 13999) {
        EXPECT_EQ(out.message, "カードの読み込みに失敗しました。" + lost);
      }
    }
  }
}

}  // namespace
}  // namespace ekyc::test
