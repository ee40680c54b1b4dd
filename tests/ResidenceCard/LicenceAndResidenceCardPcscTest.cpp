// The IC driving-licence and residence-card requests through PC/SC: the virtual card served to a
// pcscd of the test's own through vpcd, read by the facade with the PC/SC reader and verified by the
// stand-in.
#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/PcscCardReader.hpp"
#include "Platform/VirtualCard/VpcdBridge.hpp"
#include "ResidenceCard/ResidenceCardTestSupport.hpp"
#include "Support/PcscTestDaemon.hpp"

namespace ekyc::test {
namespace {

class LicenceAndResidenceCardPcscTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EKYC_START_PCSCD_OR_SKIP(daemon);
    base.platform.cardReader = std::make_shared<PcscCardReader>(daemon->readerName());
    base.platform.sessionTimeout = std::chrono::seconds(20);
    rig.startServer();
  }
  // Serves `card` to the daemon; false when the bridge does not come up.
  bool serve(std::shared_ptr<VirtualCard> card) {
    base.card = std::move(card);
    bridge = std::make_unique<VpcdBridge>(base.card, daemon->vpcdPort());
    return bridge->start();
  }

  ResidenceRig rig;  // the licence runs on its card-surface rig
  CardSurfaceRig& base = rig.base;
  std::unique_ptr<PcscDaemon> daemon;
  std::unique_ptr<VpcdBridge> bridge;
};

TEST_F(LicenceAndResidenceCardPcscTest, DriverLicenseWithPresetPins) {
  ASSERT_TRUE(serve(VirtualDriverLicense::makeCard(base.licenceFiles, base.licenceOptions))) << daemon->log();
  auto identify = Identify::create(base.viewController, 10.0, base.platform);
  auto results = std::make_shared<DriverLicenseResults>(base.log);
  identify->setPin(SetPinKey::DRIVERLICENSE_PIN1, base.licenceOptions.pin1);
  identify->setPin(SetPinKey::DRIVERLICENSE_PIN2, base.licenceOptions.pin2);
  base.runLoop->post([&] { identify->getDriverLicense(results, std::string("tenant"), pinTexts(), nfcTexts()); });
  EXPECT_TRUE(pumpUntil(*base.runLoop, [&] { return !results->results().empty() && !identify->hasReader(); },
                        std::chrono::seconds(60)));
  EXPECT_TRUE(eventuallyTrue([&] { return base.platform.cardReader->activeSessionCount() == 0; }));
  ASSERT_EQ(results->results().size(), 1u);
  const auto result = results->last();
  ASSERT_TRUE(result && *result) << (result ? result->error().localizedDescription : "no result");
  EXPECT_TRUE((*result)->getLicenseEntries() && (*result)->getLicenseEntries()->getCommonName() == "□野　花子");
  EXPECT_EQ((*result)->getLicenseHashData(), Base64::encode(Digest::sha256(base.licenceFiles.source())));
  EXPECT_EQ(base.server->receivedRequestTypes(), (std::vector<std::string>{"11"}));
}

TEST_F(LicenceAndResidenceCardPcscTest, ResidenceCardWithPresetNumber) {
  ASSERT_TRUE(serve(VirtualResidenceCard::make(rig.options))) << daemon->log();
  rig.viaFacade("AB12345678CD", "tenant");
  const auto last = rig.results->last();
  ASSERT_TRUE(last && *last) << (last ? last->error().localizedDescription : "no result");
  EXPECT_EQ(last->value().getPhoto(), VirtualResidenceCard::samplePhoto());
  EXPECT_EQ(base.server->receivedRequestTypes(), std::vector<std::string>{"11"});
  EXPECT_TRUE(eventuallyTrue([&] { return base.platform.cardReader->activeSessionCount() == 0; }));
}

}  // namespace
}  // namespace ekyc::test
