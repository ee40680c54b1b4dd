// The three JPKI requests through PC/SC: a pcscd of the test's own with the vpcd driver, the
// virtual JPKI card served to it through the vpcd bridge, and the facade over PcscCardReader.
// Skips only where pcscd cannot run at all.
#include <gtest/gtest.h>
#include "Support/RunLoopPump.hpp"

#include "Support/PcscTestDaemon.hpp"

#include "Identify/Identify.hpp"
#include "Jpki/JpkiRig.hpp"
#include "Platform/Base64.hpp"
#include "Platform/PcscCardReader.hpp"
#include "Platform/VirtualCard/PcscDaemon.hpp"
#include "Platform/VirtualCard/VpcdBridge.hpp"

namespace ekyc::test {
namespace {

using namespace std::chrono_literals;

class JpkiPcscTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EKYC_START_PCSCD_OR_SKIP(daemon);
    platform.cardReader = std::make_shared<PcscCardReader>(daemon->readerName());
    platform.alertPresenter = sheet;
    platform.clock = rig.clock;
    platform.sessionTimeout = 20s;
    bridge = std::make_unique<VpcdBridge>(rig.card, daemon->vpcdPort());
    ASSERT_TRUE(bridge->start()) << "vpcd did not take the virtual card: " << daemon->log();
    identify = Identify::create(rig.viewController, 30.0, platform);
  }

  void TearDown() override {
    bridge.reset();
    daemon.reset();
  }

  bool wait() {
    return ::ekyc::test::pumpUntil(*rig.runLoop, 
        [this] { return rig.recorder->outcome().results > 0 && platform.cardReader->activeSessionCount() == 0; }, 30s);
  }

  JpkiRig rig{jpkiContents(), false};
  std::shared_ptr<RecordingAlertPresenter> sheet = std::make_shared<RecordingAlertPresenter>();
  std::unique_ptr<PcscDaemon> daemon;
  std::unique_ptr<VpcdBridge> bridge;
  Platform platform;
  std::shared_ptr<Identify> identify;
};

const Bytes DATA = toBytes("pc/sc data");

TEST_F(JpkiPcscTest, Auth) {
  identify->setPin(SetPinKey::MYNUMBERCARD_USERCERT_PIN, "1234");
  identify->auth(rig.recorder, Base64::encode(DATA), "SHA-256", JpkiRig::pinTexts(), JpkiRig::nfcTexts());
  ASSERT_TRUE(wait());
  const auto outcome = rig.recorder->outcome();
  ASSERT_TRUE(outcome.signatureData) << outcome.code;
  const auto& record = *outcome.signatureData;
  EXPECT_EQ(record.signingCert(), jpkiContents().userAuthCertificate);
  EXPECT_TRUE(verifySignature(record.signingCert().value(), "SHA256", DATA, record.signature().value()));
  EXPECT_EQ(rig.card->commands().size(), 7u);
  EXPECT_EQ(lastOf(sheet->texts()), "読み取りました");
}

TEST_F(JpkiPcscTest, WrongPinThroughPcsc) {
  identify->setPin(SetPinKey::MYNUMBERCARD_USERCERT_PIN, "0000");
  identify->auth(rig.recorder, Base64::encode(DATA), "SHA-256", JpkiRig::pinTexts(), JpkiRig::nfcTexts());
  ASSERT_TRUE(wait());
  EXPECT_EQ(rig.recorder->outcome().code, 13300);
  EXPECT_EQ(identify->failedPinDic(), (Identify::FailedPinDictionary{{SetPinKey::MYNUMBERCARD_USERCERT_PIN, 2}}));
}

}  // namespace
}  // namespace ekyc::test
