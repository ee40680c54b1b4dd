// The licence request through the facade: in process, and through PC/SC (the virtual licence
// served to a pcscd of the test's own through vpcd) with verification by the stand-in.
#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "Support/RunLoopPump.hpp"
#include "Identify/Identify.hpp"
#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/PcscCardReader.hpp"
#include "Platform/VirtualCard/PcscDaemon.hpp"
#include "Platform/VirtualCard/VpcdBridge.hpp"
#include "Support/PcscTestDaemon.hpp"

namespace ekyc::test {
namespace {

// Runs getDriverLicense on the facade (with or without an application id) with preset PINs.
std::optional<std::expected<DriverLicense, DriverLicenseError>> viaFacade(CardSurfaceRig& rig,
                                                                          std::optional<std::string> appId) {
  auto identify = Identify::create(rig.viewController, 10.0, rig.platform);
  auto results = std::make_shared<DriverLicenseResults>(rig.log);
  identify->setPin(SetPinKey::DRIVERLICENSE_PIN1, rig.licenceOptions.pin1);
  identify->setPin(SetPinKey::DRIVERLICENSE_PIN2, rig.licenceOptions.pin2);
  rig.runLoop->post([&] {
    appId ? identify->getDriverLicense(results, appId, pinTexts(), nfcTexts())
          : identify->getDriverLicense(results, pinTexts(), nfcTexts());
  });
  EXPECT_TRUE(::ekyc::test::pumpUntil(*rig.runLoop, [&] { return !results->results().empty() && !identify->hasReader(); },
                                    std::chrono::seconds(60)));
  EXPECT_TRUE(eventuallyTrue([&] { return rig.platform.cardReader->activeSessionCount() == 0; }));
  EXPECT_EQ(results->results().size(), 1u);
  return results->last();
}

TEST(DriverLicensePcscTest, VerifiedThroughPcscd) {
  std::unique_ptr<PcscDaemon> daemon;
  EKYC_START_PCSCD_OR_SKIP(daemon);
  CardSurfaceRig rig;
  rig.platform.cardReader = std::make_shared<PcscCardReader>(daemon->readerName());
  rig.platform.sessionTimeout = std::chrono::seconds(20);
  rig.startServer();
  rig.card = VirtualDriverLicense::makeCard(rig.licenceFiles, rig.licenceOptions);
  auto bridge = std::make_unique<VpcdBridge>(rig.card, daemon->vpcdPort());
  ASSERT_TRUE(bridge->start()) << daemon->log();
  const auto result = viaFacade(rig, std::string("tenant"));
  ASSERT_TRUE(result && *result) << (result ? result->error().localizedDescription : "no result");
  EXPECT_TRUE((*result)->getLicenseEntries() && (*result)->getLicenseEntries()->getCommonName() == "□野　花子");
  EXPECT_EQ((*result)->getLicenseHashData(), Base64::encode(Digest::sha256(rig.licenceFiles.source())));
  EXPECT_EQ(rig.server->receivedRequestTypes(), (std::vector<std::string>{"11"}));
  bridge.reset();
}

}  // namespace
}  // namespace ekyc::test
