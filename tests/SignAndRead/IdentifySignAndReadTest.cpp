// The six requests of the whole Individual Number Card through the facade, host -> Identify ->
// reader -> card (-> stand-in): every facade form on the in-process virtual card and over PC/SC
// with the card served to a pcscd of the test's own through vpcd; and the session ends before the
// first command, the same for the six readers.
#include "Platform/PcscCardReader.hpp"
#include "Platform/VirtualCard/PcscDaemon.hpp"
#include "Platform/VirtualCard/VpcdBridge.hpp"
#include "SignAndRead/WholeCardRig.hpp"
#include "Support/PcscTestDaemon.hpp"

namespace ekyc::test {
namespace {

TEST(IdentifySignAndReadTest, SixFormsKeepNoPinAndReportRefusedOnes) {
  WholeCardRig rig;
  rig.presentWholeCard();
  rig.startServer();
  for (const auto kind : ALL_REQUESTS) {
    for (const auto& appId : {std::optional<std::string>(), std::optional<std::string>("tenant")}) {
      expectSuccess(rig, kind, rig.run(kind, {.appId = appId, .include = true, .viaFacade = true}));
      // The store is emptied and the signing PIN is never handed back.
      EXPECT_EQ(rig.identify->pinForSigner(), std::string());
      for (const auto& [key, pin] : rig.identify->pinDic()) EXPECT_FALSE(pin) << nameOf(kind);
    }
  }
  EXPECT_EQ(rig.server->receivedRequestTypes(), (std::vector<std::string>{"23", "23", "32", "43", "13", "43", "43"}));
  // Both individual-number readers send the same request for the same card.
  EXPECT_EQ(rig.server->receivedRequests().at(0).body, rig.server->receivedRequests().at(1).body);
  // A signing PIN the card refuses: its slot and the tries left reach the facade.
  EXPECT_EQ(rig.run(Req::myNumber, {.firstPin = "WRONG1", .viaFacade = true}).code, 13300);
  EXPECT_EQ(rig.identify->failedPinDic(), (Identify::FailedPinDictionary{{SetPinKey::MYNUMBERCARD_SIGNER_PIN, 4}}));
}

TEST(IdentifySignAndReadTest, SixVerifiedRequestsOverPcscWithVpcd) {
  std::unique_ptr<PcscDaemon> daemon;
  EKYC_START_PCSCD_OR_SKIP(daemon);
  WholeCardRig rig;
  rig.platform.cardReader = std::make_shared<PcscCardReader>(daemon->readerName());
  rig.platform.sessionTimeout = std::chrono::seconds(20);
  rig.startServer();
  rig.card = rig.makeWholeCard();
  auto bridge = std::make_unique<VpcdBridge>(rig.card, daemon->vpcdPort());
  ASSERT_TRUE(bridge->start()) << daemon->log();
  for (const auto kind : ALL_REQUESTS) {
    expectSuccess(rig, kind, rig.run(kind, {.appId = "tenant", .include = true, .viaFacade = true}));
  }
  EXPECT_EQ(rig.server->receivedRequestTypes(), (std::vector<std::string>{"23", "23", "32", "43", "13", "43", "43"}));
  bridge.reset();
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
