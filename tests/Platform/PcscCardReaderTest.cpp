// The PC/SC path end to end: a pcscd of the test's own with the vpcd driver, a virtual card served
// to it through the vpcd bridge, and the session layer over PcscCardReader. Skips only where
// pcscd cannot run at all.
#include <gtest/gtest.h>

#include "Support/PcscTestDaemon.hpp"

#include "Platform/ApduChainRunner.hpp"
#include "Platform/PcscCardReader.hpp"
#include "Platform/Platform.hpp"
#include "Platform/RecordingAlertPresenter.hpp"
#include "Platform/VirtualCard/PcscDaemon.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualSampleCard.hpp"
#include "Platform/VirtualCard/VpcdBridge.hpp"
#include "Platform/PlatformTestSupport.hpp"
#include "Platform/SessionRecorder.hpp"

using namespace ekyc;
using namespace ekyc::test;
using namespace std::chrono_literals;

namespace {

class PcscCardReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EKYC_START_PCSCD_OR_SKIP(daemon);
    reader = std::make_shared<PcscCardReader>(daemon->readerName());
    platform.cardReader = reader;
    platform.alertPresenter = presenter;
    platform.sessionTimeout = 20s;
    bridge = std::make_unique<VpcdBridge>(card, daemon->vpcdPort());
  }

  void TearDown() override {
    bridge.reset();
    daemon.reset();
  }

  void insertCard() { ASSERT_TRUE(bridge->start()) << "vpcd did not take the virtual card: " << daemon->log(); }

  std::shared_ptr<VirtualCard> card = VirtualSampleCard::make();
  std::shared_ptr<RecordingAlertPresenter> presenter = std::make_shared<RecordingAlertPresenter>();
  std::unique_ptr<PcscDaemon> daemon;
  std::unique_ptr<VpcdBridge> bridge;
  std::shared_ptr<PcscCardReader> reader;
  Platform platform;
};

TEST_F(PcscCardReaderTest, ChainRunsThroughPcscdOnTheVirtualCard) {
  EXPECT_TRUE(reader->isAvailable());
  EXPECT_FALSE(PcscCardReader("no such reader").isAvailable());
  insertCard();
  const auto chain = sampleChain();
  ApduChainRunner::Result result = ApduChainRunner::run(platform, chain);
  ASSERT_TRUE(result.completed) << (result.failure ? result.failure->message : std::string("a status word failed"));
  ASSERT_EQ(result.exchanges.size(), chain.size());
  EXPECT_EQ(result.exchanges[4].data, VirtualSampleCard::protectedContents());  // one extended READ BINARY
  EXPECT_EQ(result.exchanges[6].data, VirtualSampleCard::freeContents());
  ASSERT_TRUE(result.sessionEnd.has_value());
  EXPECT_EQ(result.sessionEnd->code, 200);
  // The card saw exactly the chain, byte for byte.
  std::vector<Bytes> expected;
  for (const auto& apdu : chain) expected.push_back(apdu.encoded());
  EXPECT_EQ(card->commands(), expected);
  EXPECT_EQ(presenter->texts().front(), "Hold the card to the reader");
}

TEST_F(PcscCardReaderTest, AnswersInPartsAndWrongLengthsAreGatheredByTheReader) {
  card->setResponseChunkSize(200);
  card->setExactLengthRequired(true);
  insertCard();
  ApduChainRunner::Result result = ApduChainRunner::run(
      platform, {selectSampleApplication(), selectFile(VirtualSampleCard::PIN_FILE), verifyPin("1234"),
                 selectFile(VirtualSampleCard::PROTECTED_FILE), readBinary(VirtualSampleCard::PROTECTED_SIZE),
                 selectFile(VirtualSampleCard::FREE_FILE), readBinary(256)});
  ASSERT_TRUE(result.completed);
  EXPECT_EQ(result.exchanges[4].data, VirtualSampleCard::protectedContents());
  EXPECT_EQ(result.exchanges[6].data, VirtualSampleCard::freeContents());
  EXPECT_EQ(result.exchanges[6].sw1, 0x90);
  // 5498 bytes: 200 in the first answer, then GET RESPONSE with Le 00 (256) 21 times; then 6C11
  // and the resend.
  const auto commands = card->commands();
  std::size_t getResponses = 0;
  for (const auto& command : commands) getResponses += command[1] == 0xC0 ? 1 : 0;
  EXPECT_EQ(getResponses, 21u);
  EXPECT_EQ(commands[commands.size() - 2], readBinary(256).encoded());
  EXPECT_EQ(commands.back(), readBinary(0x11).encoded());
}

TEST_F(PcscCardReaderTest, ARemovedCardIsATransportErrorWith0000) {
  card->addFault(VirtualCardFault::removedAt(3));
  insertCard();
  ApduChainRunner::Result result = ApduChainRunner::run(platform, sampleChain());
  EXPECT_FALSE(result.completed);
  ASSERT_EQ(result.exchanges.size(), 3u);
  EXPECT_FALSE(result.exchanges[1].error.has_value());
  ASSERT_TRUE(result.exchanges[2].error.has_value());
  EXPECT_EQ(result.exchanges[2].error->code, 100);
  EXPECT_EQ(result.exchanges[2].sw1, 0x00);
  EXPECT_EQ(result.exchanges[2].sw2, 0x00);
}

TEST_F(PcscCardReaderTest, WaitingForACardEndsWithTheHostCancelOrTheTimeOut) {
  auto recorder = std::make_shared<SessionRecorder>();
  auto session = NFCTagReaderSession::create(platform, NFCPollingOption::iso14443, recorder);
  recorder->session = session;
  session->begin();
  ASSERT_TRUE(recorder->waitFor("active"));
  EXPECT_TRUE(eventually([&] { return reader->activeSessionCount() == 1; }));
  reader->cancelBySheet();
  ASSERT_TRUE(recorder->waitFor("end"));
  EXPECT_EQ(recorder->endErrors().at(0).code, 200);
  recorder->session.reset();
  session.reset();

  platform.sessionTimeout = 100ms;
  recorder = std::make_shared<SessionRecorder>();
  session = NFCTagReaderSession::create(platform, NFCPollingOption::iso14443, recorder);
  recorder->session = session;
  session->begin();
  ASSERT_TRUE(recorder->waitFor("end"));
  EXPECT_EQ(recorder->endErrors().at(0).code, 201);
  EXPECT_EQ(recorder->names(), (std::vector<std::string>{"active", "end"}));
  recorder->session.reset();
}

}  // namespace
