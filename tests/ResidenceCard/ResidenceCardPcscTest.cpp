// The residence-card request through PC/SC: the virtual residence card served to the test's own
// pcscd through vpcd, read by the facade with the PC/SC reader and verified by the stand-in.
#include "Platform/PcscCardReader.hpp"
#include "Platform/VirtualCard/PcscDaemon.hpp"
#include "Platform/VirtualCard/VpcdBridge.hpp"
#include "ResidenceCard/ResidenceCardTestSupport.hpp"
#include "Support/PcscTestDaemon.hpp"

namespace ekyc::test {
namespace {

TEST(ResidenceCardPcscTest, VerifiedThroughPcscd) {
  std::unique_ptr<PcscDaemon> daemon;
  EKYC_START_PCSCD_OR_SKIP(daemon);
  ResidenceRig rig;
  rig.base.platform.cardReader = std::make_shared<PcscCardReader>(daemon->readerName());
  rig.base.platform.sessionTimeout = std::chrono::seconds(20);
  rig.startServer();
  rig.base.card = VirtualResidenceCard::make(rig.options);
  auto bridge = std::make_unique<VpcdBridge>(rig.base.card, daemon->vpcdPort());
  ASSERT_TRUE(bridge->start()) << daemon->log();
  rig.viaFacade("AB12345678CD", "tenant");
  const auto last = rig.results->last();
  ASSERT_TRUE(last && *last) << (last ? last->error().localizedDescription : "no result");
  EXPECT_EQ(last->value().getPhoto(), VirtualResidenceCard::samplePhoto());
  EXPECT_EQ(rig.base.server->receivedRequestTypes(), std::vector<std::string>{"11"});
  EXPECT_TRUE(eventuallyTrue([&] { return rig.base.platform.cardReader->activeSessionCount() == 0; }));
  bridge.reset();
}

}  // namespace
}  // namespace ekyc::test
