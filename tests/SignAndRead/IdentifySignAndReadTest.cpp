// The six facade forms of the sign-and-read requests, host -> Identify -> reader -> card
// (-> stand-in): on the in-process virtual card, and over PC/SC with the card served to a pcscd of
// the test's own through vpcd.
#include "Identify/Identify.hpp"
#include "Support/RunLoopPump.hpp"
#include "Platform/PcscCardReader.hpp"
#include "Platform/VirtualCard/PcscDaemon.hpp"
#include "Platform/VirtualCard/VpcdBridge.hpp"
#include "SignAndRead/SignAndReadRig.hpp"
#include "Support/PcscTestDaemon.hpp"

namespace ekyc::test {
namespace {

const std::string DATA = "ZWt5YyB0ZXN0IGRhdGE=";

// One facade request of the kind, with the PINs preset in the facade's store; runs the host loop
// until the result is in and the facade has let go of the reader.
SignAndReadOutcome request(SignAndReadRig& rig, Identify& identify, SignAndRead kind, std::optional<std::string> appId,
                           const std::string& signPin = "abcdef123") {
  auto results = std::make_shared<SignAndReadResults>(rig.log);
  identify.setPin(SetPinKey::MYNUMBERCARD_SIGNER_PIN, signPin);
  identify.setPin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, rig.holder.myNumberPin);
  identify.setPin(SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN, rig.holder.promptedPiiPin);
  rig.runLoop->post([&] {
    const auto p = pinTexts();
    const auto n = nfcTexts();
    switch (kind) {
      case SignAndRead::myNumber:
        appId ? identify.signAndGetMyNumber(results, appId, DATA, std::nullopt, p, n)
              : identify.signAndGetMyNumber(results, DATA, std::nullopt, p, n);
        break;
      case SignAndRead::basicMyNumber:
        appId ? identify.signAndGetBasicPersonalInfoAndGetMyNumber(results, appId, DATA, std::nullopt, true, p, n)
              : identify.signAndGetBasicPersonalInfoAndGetMyNumber(results, DATA, std::nullopt, true, p, n);
        break;
      case SignAndRead::basicPromptedPii:
        appId ? identify.signAndGetBasicPersonalInfoAndGetPromptedPii(results, appId, DATA, std::nullopt, true, p, n)
              : identify.signAndGetBasicPersonalInfoAndGetPromptedPii(results, DATA, std::nullopt, true, p, n);
        break;
    }
  });
  EXPECT_TRUE(::ekyc::test::pumpUntil(*rig.runLoop, [&] { return results->outcome().results > 0 && !identify.hasReader(); },
                                    std::chrono::seconds(60)));
  EXPECT_TRUE(eventuallyTrue([&] { return rig.platform.cardReader->activeSessionCount() == 0; }));
  return results->outcome();
}

const SignAndRead KINDS[] = {SignAndRead::myNumber, SignAndRead::basicMyNumber, SignAndRead::basicPromptedPii};

TEST(IdentifySignAndReadTest, SixFormsKeepNoPinAndReportRefusedOnes) {
  SignAndReadRig rig;
  rig.presentFullCard();
  rig.startServer();
  auto identify = Identify::create(rig.viewController, 10.0, rig.platform);
  for (const auto kind : KINDS) {
    for (const auto& appId : {std::optional<std::string>(), std::optional<std::string>("tenant")}) {
      const auto out = request(rig, *identify, kind, appId);
      EXPECT_TRUE(out.ok) << nameOf(kind) << " " << out.message;
      // The data alone ("ekyc test data"), or its digest and the items' hash folded in.
      const std::size_t signedSize = kind == SignAndRead::myNumber ? 14 : 64;
      EXPECT_TRUE(out.signatureData && out.signatureData->tbsData() && out.signatureData->tbsData()->size() == signedSize);
      // The store is emptied and the signing PIN is never handed back.
      EXPECT_EQ(identify->pinForSigner(), std::string());
      EXPECT_FALSE(identify->pinDic().at(SetPinKey::MYNUMBERCARD_SIGNER_PIN));
    }
  }
  EXPECT_EQ(rig.server->receivedRequestTypes(), (std::vector<std::string>{"23", "23", "32"}));
  // Both individual-number readers send the same request for the same card.
  EXPECT_EQ(rig.server->receivedRequests().at(0).body, rig.server->receivedRequests().at(1).body);
  // A signing PIN the card refuses: its slot and the tries left reach the facade.
  EXPECT_EQ(request(rig, *identify, SignAndRead::myNumber, std::nullopt, "WRONG1").code, 13300);
  EXPECT_EQ(identify->failedPinDic(), (Identify::FailedPinDictionary{{SetPinKey::MYNUMBERCARD_SIGNER_PIN, 4}}));
}

TEST(IdentifySignAndReadTest, ThreeVerifiedRequestsOverPcscWithVpcd) {
  std::unique_ptr<PcscDaemon> daemon;
  EKYC_START_PCSCD_OR_SKIP(daemon);
  SignAndReadRig rig;
  rig.platform.cardReader = std::make_shared<PcscCardReader>(daemon->readerName());
  rig.platform.sessionTimeout = std::chrono::seconds(20);
  rig.startServer();
  rig.card = rig.makeFullCard();
  auto bridge = std::make_unique<VpcdBridge>(rig.card, daemon->vpcdPort());
  ASSERT_TRUE(bridge->start()) << daemon->log();
  auto identify = Identify::create(rig.viewController, 10.0, rig.platform);
  for (const auto kind : KINDS) {
    const auto out = request(rig, *identify, kind, std::string("tenant"));
    ASSERT_TRUE(out.ok) << nameOf(kind) << " " << out.message;
    ASSERT_TRUE(out.signatureData && out.signatureData->signature() && out.signatureData->tbsData());
    EXPECT_TRUE(verifySignature(rig.jpki->signingCertificate, "SHA256", *out.signatureData->tbsData(),
                                *out.signatureData->signature()));
  }
  EXPECT_EQ(rig.server->receivedRequestTypes(), (std::vector<std::string>{"23", "23", "32"}));
  bridge.reset();
}

}  // namespace
}  // namespace ekyc::test
