// The three licence-data requests through PC/SC: the whole virtual Individual Number Card served to
// a pcscd of the test's own through vpcd, read by the facade with the PC/SC reader and verified by
// the stand-in.
#include "MynaDriverLicense/LicenceRig.hpp"
#include "Platform/PcscCardReader.hpp"
#include "Platform/VirtualCard/VpcdBridge.hpp"
#include "Support/PcscTestDaemon.hpp"

namespace ekyc::test {
namespace {

class LicencePcscTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EKYC_START_PCSCD_OR_SKIP(daemon);
    rig.platform.cardReader = std::make_shared<PcscCardReader>(daemon->readerName());
    rig.platform.sessionTimeout = std::chrono::seconds(20);
    rig.startStandIn();
    rig.presentWholeCard();
    bridge = std::make_unique<VpcdBridge>(rig.card, daemon->vpcdPort());
    ASSERT_TRUE(bridge->start()) << daemon->log();
  }
  void TearDown() override {
    bridge.reset();
    daemon.reset();
  }

  LicenceRig rig;
  std::unique_ptr<PcscDaemon> daemon;
  std::unique_ptr<VpcdBridge> bridge;
};

TEST_F(LicencePcscTest, ThreeRequestsVerifiedThroughPcscd) {
  for (const auto kind : {Licence::alone, Licence::withCardPrint, Licence::withSignature}) {
    rig.request(kind, "tenant", 10.0, true);
    const auto o = rig.results->last();
    ASSERT_EQ(o.code, 0) << o.message;
    ASSERT_TRUE(o.licence);
    EXPECT_EQ(o.licence->getEntriesRawData(), std::optional<Bytes>(rig.licence.entries));
  }
  EXPECT_EQ(rig.server->receivedRequestTypes(), (std::vector<std::string>{"43", "13", "43", "43"}));
}

}  // namespace
}  // namespace ekyc::test
