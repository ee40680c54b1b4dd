// The four requests of the card-surface group through PC/SC: the virtual card is served to a
// pcscd of the test's own through vpcd, and the facade reads it with the PC/SC reader, with
// verification by the stand-in.
#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "Support/RunLoopPump.hpp"
#include "Identify/Identify.hpp"
#include "Platform/PcscCardReader.hpp"
#include "Platform/VirtualCard/PcscDaemon.hpp"
#include "Platform/VirtualCard/VpcdBridge.hpp"
#include "Support/PcscTestDaemon.hpp"

namespace ekyc::test {
namespace {

class CardSurfacePcscTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EKYC_START_PCSCD_OR_SKIP(daemon);
    rig.platform.cardReader = std::make_shared<PcscCardReader>(daemon->readerName());
    rig.platform.sessionTimeout = std::chrono::seconds(20);
    rig.startServer();
    CardSurfaceApplications::Options options;
    options.holder = rig.holder;
    rig.card = CardSurfaceApplications::makeCard(rig.files, options);
    bridge = std::make_unique<VpcdBridge>(rig.card, daemon->vpcdPort());
    ASSERT_TRUE(bridge->start()) << daemon->log();
    identify = Identify::create(rig.viewController, 10.0, rig.platform);
  }
  void TearDown() override {
    bridge.reset();
    daemon.reset();
  }

  template <class Results>
  void call(const std::shared_ptr<Results>& results, const std::function<void(Identify&)>& request) {
    rig.runLoop->post([&] { request(*identify); });
    EXPECT_TRUE(::ekyc::test::pumpUntil(*rig.runLoop, [&] { return !results->results().empty() && !identify->hasReader(); },
                                      std::chrono::seconds(60)));
    // The session has ended once the facade let go and the reader counts no session.
    EXPECT_TRUE(eventuallyTrue([&] { return rig.platform.cardReader->activeSessionCount() == 0; }));
  }

  CardSurfaceRig rig;
  std::unique_ptr<PcscDaemon> daemon;
  std::unique_ptr<VpcdBridge> bridge;
  std::shared_ptr<Identify> identify;
};

TEST_F(CardSurfacePcscTest, AllFourRequestsVerifiedThroughPcscd) {
  const auto& h = rig.holder;
  auto number = std::make_shared<MyNumberResults>(rig.log);
  identify->setPin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, h.myNumberPin);
  call(number, [&](Identify& i) { i.getMyNumber(number, std::string("tenant"), pinTexts(), nfcTexts()); });
  ASSERT_TRUE(number->last() && *number->last()) << number->lastOrThrow().error().localizedDescription;
  EXPECT_EQ(number->lastOrThrow().value().getMyNumber(), h.myNumber);

  auto print = std::make_shared<CardPrintResults>(rig.log);
  identify->setPin(SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, h.cardPrintInfoPin);
  call(print, [&](Identify& i) { i.getCardPrintInfo(print, std::string("tenant"), pinTexts(), nfcTexts()); });
  ASSERT_TRUE(print->last() && *print->last());
  EXPECT_EQ(print->lastOrThrow().value().getAllName(), h.name);

  auto both = std::make_shared<BothResults>(rig.log);
  identify->setPin(SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, h.cardPrintInfoPin);
  identify->setPin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, h.myNumberPin);
  call(both, [&](Identify& i) { i.getCardPrintInfoAndGetMyNumber(both, std::string("tenant"), pinTexts(), nfcTexts()); });
  ASSERT_TRUE(both->last() && *both->last());

  auto pii = std::make_shared<PromptedPiiResults>(rig.log);
  identify->setPin(SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN, h.promptedPiiPin);
  call(pii, [&](Identify& i) { i.getPromptedPii(pii, std::string("tenant"), pinTexts(), nfcTexts()); });
  ASSERT_TRUE(pii->last() && *pii->last());
  EXPECT_EQ(pii->lastOrThrow().value().myNumberRawData(), rig.files.supEf0001);

  EXPECT_EQ(rig.server->receivedRequestTypes(), (std::vector<std::string>{"23", "13", "13", "23", "32"}));
}

}  // namespace
}  // namespace ekyc::test
