// The PC/SC path end to end: a pcscd of the test's own with the vpcd driver, a virtual card served
// to it through the vpcd bridge, and the session layer over PcscCardReader. Skips only where
// pcscd cannot run at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include <PCSC/pcsclite.h>
#include <PCSC/winscard.h>

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
#include "Support/Watchdog.hpp"

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

TEST_F(PcscCardReaderTest, AnswersInPartsAndWrongLengthsAreGatheredByTheReader) {
  EXPECT_TRUE(reader->isAvailable());
  EXPECT_FALSE(PcscCardReader("no such reader").isAvailable());
  card->setResponseChunkSize(200);
  card->setExactLengthRequired(true);
  insertCard();
  ApduChainRunner::Result result = ApduChainRunner::run(
      platform, {selectSampleApplication(), selectFile(VirtualSampleCard::PIN_FILE), verifyPin("1234"),
                 selectFile(VirtualSampleCard::PROTECTED_FILE), readBinary(VirtualSampleCard::PROTECTED_SIZE),
                 selectFile(VirtualSampleCard::FREE_FILE), readBinary(256)});
  ASSERT_TRUE(result.completed) << (result.failure ? result.failure->message : std::string("a status word failed"));
  ASSERT_EQ(result.exchanges.size(), 7u);
  ASSERT_TRUE(result.sessionEnd.has_value());
  EXPECT_EQ(result.sessionEnd->code, 200);
  EXPECT_EQ(presenter->texts(), (std::vector<std::string>{"Hold the card to the reader", "Reading the card", "Done"}));
  EXPECT_EQ(result.exchanges[4].data, VirtualSampleCard::protectedContents());
  EXPECT_EQ(result.exchanges[6].data, VirtualSampleCard::freeContents());
  EXPECT_EQ(result.exchanges[6].sw1, 0x90);
  // 5498 bytes: 200 in the first answer, then GET RESPONSE with Le 00 (256) 21 times; then 6C11
  // and the resend.
  const auto commands = card->commands();
  EXPECT_EQ(std::count_if(commands.begin(), commands.end(), [](const Bytes& c) { return c[1] == 0xC0; }), 21);
  ASSERT_GE(commands.size(), 2u);
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
  for (const bool cancel : {true, false}) {
    platform.sessionTimeout = cancel ? 20s : 100ms;
    auto recorder = std::make_shared<SessionRecorder>();
    recorder->session = NFCTagReaderSession::create(platform, NFCPollingOption::iso14443, recorder);
    recorder->session->begin();
    if (cancel) {
      ASSERT_TRUE(recorder->waitFor("active"));
      EXPECT_TRUE(eventually([&] { return reader->activeSessionCount() == 1; }));
      reader->cancelBySheet();
    }
    ASSERT_TRUE(recorder->waitFor("end"));
    EXPECT_EQ(recorder->endErrors().at(0).code, cancel ? 200 : 201);
    EXPECT_EQ(recorder->names(), (std::vector<std::string>{"active", "end"}));
    recorder->session.reset();
  }
}

// Two hosts start at the same moment, each on a card reader of its own (each with its own PC/SC
// contexts): each asks whether reading is possible and begins a session that then waits for a card.
// The PC/SC client library keeps one table of reader states for the whole process, which listing
// the readers and waiting for a change fill in; no two of those calls may run at once, whatever
// their contexts (under ThreadSanitizer, as CI runs every test, a report fails this test).
TEST_F(PcscCardReaderTest, TwoStartsAtOnceEachOnItsOwnContexts) {
  Watchdog watchdog(std::chrono::seconds(60), "two starts at once over PC/SC");
  constexpr int HOSTS = 2;
  std::vector<std::shared_ptr<PcscCardReader>> readers;
  std::vector<std::shared_ptr<SessionRecorder>> recorders;
  for (int i = 0; i < HOSTS; ++i) {
    readers.push_back(std::make_shared<PcscCardReader>(daemon->readerName()));
    recorders.push_back(std::make_shared<SessionRecorder>());
  }
  std::atomic<int> ready{0};
  std::vector<std::thread> hosts;
  for (int i = 0; i < HOSTS; ++i) {
    hosts.emplace_back([&, i] {
      Platform own = platform;
      own.cardReader = readers[i];
      ++ready;
      while (ready.load() < HOSTS) std::this_thread::yield();
      EXPECT_TRUE(NFCTagReaderSession::readingAvailable(own));
      recorders[i]->session = NFCTagReaderSession::create(own, NFCPollingOption::iso14443, recorders[i]);
      recorders[i]->session->begin();
    });
  }
  for (auto& host : hosts) host.join();
  for (int i = 0; i < HOSTS; ++i) {
    ASSERT_TRUE(recorders[i]->waitFor("active"));
    // Both wait for the card, each on its own context, beside the other's listing.
    EXPECT_TRUE(readers[i]->isAvailable());
  }
  for (int i = 0; i < HOSTS; ++i) {
    readers[i]->cancelBySheet();
    ASSERT_TRUE(recorders[i]->waitFor("end"));
    EXPECT_EQ(recorders[i]->endErrors().at(0).code, 200);
    recorders[i]->session.reset();
  }
}

// The reader keeps one context for its sessions; a pcscd that restarted has dropped it, and the
// next session goes on with a new one.
TEST_F(PcscCardReaderTest, ASessionAfterPcscdRestartedRunsOnANewContext) {
  insertCard();
  ASSERT_TRUE(ApduChainRunner::run(platform, sampleChain()).completed);
  bridge.reset();
  daemon.reset();
  EKYC_START_PCSCD_OR_SKIP(daemon);
  bridge = std::make_unique<VpcdBridge>(card, daemon->vpcdPort());
  insertCard();
  const auto result = ApduChainRunner::run(platform, sampleChain());
  EXPECT_TRUE(result.completed) << (result.failure ? result.failure->message : std::string("a status word failed"));
}

}  // namespace

// ---- The card after a session: reset on every path, and the card to itself meanwhile ----

namespace {

// A second PC/SC client of the same reader, as another process would be.
class SecondClient {
 public:
  explicit SecondClient(const std::string& reader) {
    if (SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &context_) != SCARD_S_SUCCESS) return;
    // The card may still be coming up in the reader.
    connected_ = eventually([&] {
      return SCardConnect(context_, reader.c_str(), SCARD_SHARE_SHARED, SCARD_PROTOCOL_T1, &card_, &protocol_) ==
             SCARD_S_SUCCESS;
    });
  }
  ~SecondClient() {
    if (connected_) SCardDisconnect(card_, disposition);
    if (context_) SCardReleaseContext(context_);
  }
  // The card's answer, or nothing when PC/SC refused the exchange.
  std::optional<Bytes> send(const NFCISO7816APDU& apdu) {
    if (!connected_) return std::nullopt;
    const Bytes command = apdu.encoded();
    Bytes answer(65538);
    DWORD length = static_cast<DWORD>(answer.size());
    if (SCardTransmit(card_, SCARD_PCI_T1, command.data(), static_cast<DWORD>(command.size()), nullptr, answer.data(),
                      &length) != SCARD_S_SUCCESS) {
      return std::nullopt;
    }
    answer.resize(length);
    return answer;
  }
  bool connected() const { return connected_; }
  DWORD disposition = SCARD_RESET_CARD;

 private:
  SCARDCONTEXT context_ = 0;
  SCARDHANDLE card_ = 0;
  DWORD protocol_ = 0;
  bool connected_ = false;
};

// Reads the protected file where the last session left the card; 9000 only while its PIN stands.
bool protectedFileReadable(const std::string& reader) {
  SecondClient probe(reader);
  const auto answer = probe.send(readBinary(16));
  return answer && answer->size() == 18 && (*answer)[16] == 0x90;
}

std::vector<NFCISO7816APDU> unlockAndRead() {
  return {selectSampleApplication(), selectFile(VirtualSampleCard::PIN_FILE), verifyPin("1234"),
          selectFile(VirtualSampleCard::PROTECTED_FILE), readBinary(VirtualSampleCard::PROTECTED_SIZE)};
}

}  // namespace

TEST_F(PcscCardReaderTest, EveryEndOfASessionResetsTheCard) {
  struct Case {
    const char* name;
    std::vector<NFCISO7816APDU> extra;                // after the unlocked read
    std::optional<std::chrono::milliseconds> delay;   // of the first extra command
    std::chrono::milliseconds timeout;
    bool cancel;
    // Without a session: 1 the library's connection dropped (its destructor); 2 (the probe's own
    // check) a plain client that leaves the card as it is, after which the PIN still stands.
    int direct = 0;
  };
  const std::vector<Case> cases{
      {"success", {}, std::nullopt, 20s, false},
      {"failure", {selectFile(0x7777)}, std::nullopt, 20s, false},
      {"cancel", {readBinary(1)}, 600ms, 20s, true},
      {"time-out", {readBinary(1)}, 2000ms, 800ms, false},
      {"destructor", {}, std::nullopt, 20s, false, 1},
      {"a client that leaves the card", {}, std::nullopt, 20s, false, 2},
  };
  insertCard();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    card->clearFaults();
    auto chain = unlockAndRead();
    chain.insert(chain.end(), c.extra.begin(), c.extra.end());
    if (c.delay) card->addFault(VirtualCardFault::delayAt(card->commandCount() + 6, *c.delay));
    if (c.direct == 2) {
      SecondClient client(daemon->readerName());
      client.disposition = SCARD_LEAVE_CARD;
      for (const auto& apdu : chain) ASSERT_TRUE(client.send(apdu).has_value());
    } else if (c.direct == 1) {
      auto cards = reader->waitForCards(std::stop_token());
      ASSERT_TRUE(cards.has_value() && !cards->empty());
      ASSERT_FALSE(cards->front()->connect().has_value());
      for (const auto& apdu : chain) ASSERT_TRUE(cards->front()->transmit(apdu, {}).has_value());
    } else {
      platform.sessionTimeout = c.timeout;
      auto runner = ApduChainRunner::start(platform, chain);
      ASSERT_TRUE(runner);
      if (c.cancel) {
        ASSERT_TRUE(eventually([&] { return card->log().size() >= chain.size(); }));
        reader->cancelBySheet();
      }
      const auto result = runner->wait();
      EXPECT_EQ(result.completed, c.extra.empty());
      EXPECT_GE(result.exchanges.size(), 5u);
      EXPECT_EQ(reader->activeSessionCount(), 0u);  // the run returns once the card is reset
    }
    EXPECT_EQ(protectedFileReadable(daemon->readerName()), c.direct == 2);
    card->clearLog();
  }
}

TEST_F(PcscCardReaderTest, ASecondClientCannotSlipACommandIntoASession) {
  insertCard();
  auto chain = unlockAndRead();
  chain.push_back(readBinary(1));
  card->addFault(VirtualCardFault::delayAt(6, 500ms));
  auto runner = ApduChainRunner::start(platform, chain);
  ASSERT_TRUE(runner);
  ASSERT_TRUE(eventually([&] { return card->log().size() >= 5; }));  // the PIN stands now
  SecondClient intruder(daemon->readerName());
  const auto answer = intruder.send(readBinary(16));
  EXPECT_FALSE(answer && answer->size() == 18) << "the second client read the protected file";
  ASSERT_TRUE(runner->wait().completed);
  // The card saw the session's chain alone, in one piece.
  const auto commands = card->commands();
  ASSERT_GE(commands.size(), chain.size());
  for (std::size_t i = 0; i < chain.size(); ++i) EXPECT_EQ(commands[i], chain[i].encoded()) << i;
}
