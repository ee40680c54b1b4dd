// The NFC session layer on the in-process virtual reader: threads and order of callbacks, the
// exactly-once completion contract, the session's end, odd answers and response chaining.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>

#include "Platform/ApduChainRunner.hpp"
#include "Platform/CardConnection.hpp"
#include "Platform/CardReader.hpp"
#include "Platform/CardReaderSession.hpp"
#include "Platform/NFCTagReaderSession.hpp"
#include "Platform/Platform.hpp"
#include "Platform/RecordingAlertPresenter.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualCardReader.hpp"
#include "Platform/VirtualCard/VirtualSampleCard.hpp"
#include "Platform/PlatformTestSupport.hpp"
#include "Platform/SessionRecorder.hpp"
#include "Support/Watchdog.hpp"

using namespace ekyc;
using namespace ekyc::test;
using namespace std::chrono_literals;

namespace {

thread_local bool insideSendCommand = false;

// One command's outcome as its completion saw it.
struct Outcome {
  Bytes data;
  std::uint8_t sw1 = 0xFF;
  std::uint8_t sw2 = 0xFF;
  std::optional<NFCError> error;
  std::thread::id thread;
  bool inline_ = false;
  int calls = 0;
};

class CardReaderSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.cardReader = reader;
    platform.alertPresenter = presenter;
    platform.sessionTimeout = 10s;
  }

  void TearDown() override {
    // End whatever still runs; every session, and the delegate it held, must be gone before the
    // fixture is (a session that let go of its delegate can report no second end).
    if (auto s = session.lock()) s->invalidate();
    std::weak_ptr<SessionRecorder> delegate = recorder;
    if (recorder) {
      recorder->waitFor("end");
      recorder->session.reset();
    }
    recorder.reset();
    {
      std::lock_guard lock(mutex);
      iso.reset();  // a tag holds its session
    }
    EXPECT_TRUE(eventually([&] { return session.expired() && delegate.expired(); }));
  }

  std::shared_ptr<CardReaderSession> begin() {
    auto created = NFCTagReaderSession::create(platform, NFCPollingOption::iso14443, recorder);
    auto ours = std::dynamic_pointer_cast<CardReaderSession>(created);
    recorder->session = created;
    session = ours;
    created->setAlertMessage("hold");
    created->begin();
    return ours;
  }

  // Sends a command, recording its outcome under a key; the completion must run once, later.
  void send(const std::shared_ptr<NFCISO7816Tag>& tag, const NFCISO7816APDU& apdu, const std::string& key,
            std::function<void()> then = nullptr) {
    insideSendCommand = true;
    tag->sendCommand(apdu, [this, key, then](Bytes data, std::uint8_t sw1, std::uint8_t sw2,
                                             std::optional<NFCError> error) {
      {
        std::lock_guard lock(mutex);
        Outcome& outcome = outcomes[key];
        outcome.data = std::move(data);
        outcome.sw1 = sw1;
        outcome.sw2 = sw2;
        outcome.error = error;
        outcome.thread = std::this_thread::get_id();
        outcome.inline_ = insideSendCommand;
        ++outcome.calls;
      }
      recorder->record(key);
      if (then) then();
    });
    insideSendCommand = false;
  }

  Outcome outcome(const std::string& key) {
    std::lock_guard lock(mutex);
    return outcomes[key];
  }

  // On detection: connect to the first tag and keep it.
  void connectOnDetect(std::function<void()> then) {
    recorder->onDetect = [this, then](NFCTagReaderSession& s, const std::vector<std::shared_ptr<NFCTag>>& tags) {
      auto tag = tags.front();
      s.connect(tag, [this, tag, then](std::optional<NFCError> error) {
        EXPECT_FALSE(error.has_value());
        {
          std::lock_guard lock(mutex);
          iso = tag->iso7816();
        }
        recorder->record("connect");
        if (then) then();
      });
    };
  }

  std::shared_ptr<NFCISO7816Tag> connectedTag() {
    std::lock_guard lock(mutex);
    return iso;
  }

  std::shared_ptr<VirtualCardReader> reader = std::make_shared<VirtualCardReader>();
  std::shared_ptr<RecordingAlertPresenter> presenter = std::make_shared<RecordingAlertPresenter>();
  std::shared_ptr<VirtualCard> card = VirtualSampleCard::make();
  std::shared_ptr<SessionRecorder> recorder = std::make_shared<SessionRecorder>();
  std::weak_ptr<CardReaderSession> session;
  Platform platform;
  std::mutex mutex;
  std::map<std::string, Outcome> outcomes;
  std::shared_ptr<NFCISO7816Tag> iso;
};

// Commands sent together, one of them slow (waited for on the I/O thread), complete in the order
// they were sent, each once, later, on the session queue; then the app's own end reports 200.
TEST_F(CardReaderSessionTest, CommandsCompleteInOrderOnceOnTheQueueAndTheAppEndsTheSession) {
  card->addFault(VirtualCardFault::delayAt(2, 30ms));
  reader->present(card);
  const std::vector<std::string> keys{"a", "slow", "b", "c", "d"};
  connectOnDetect([&] {
    auto tag = connectedTag();
    send(tag, selectSampleApplication(), "a");
    send(tag, selectFile(VirtualSampleCard::FREE_FILE), "slow");
    send(tag, readBinary(17), "b");
    send(tag, selectFile(VirtualSampleCard::PIN_FILE), "c", [&] {
      send(connectedTag(), verifyPin("1234"), "d", [&] {
        recorder->session->setAlertMessage("done");
        recorder->session->invalidate();
      });
    });
  });
  auto s = begin();
  ASSERT_TRUE(recorder->waitFor("end"));
  std::vector<std::string> expected{"active", "detect", "connect"};
  expected.insert(expected.end(), keys.begin(), keys.end());
  expected.push_back("end");
  EXPECT_EQ(recorder->names(), expected);
  for (const auto& event : recorder->events()) EXPECT_TRUE(s->isQueueThread(event.thread)) << event.name;
  for (const auto& key : keys) {
    Outcome o = outcome(key);
    EXPECT_EQ(o.calls, 1) << key;
    EXPECT_FALSE(o.inline_) << key << ": completion ran inside sendCommand";
    EXPECT_FALSE(o.error.has_value()) << key;
    EXPECT_EQ(o.sw1, 0x90) << key;
  }
  EXPECT_EQ(outcome("b").data, VirtualSampleCard::freeContents());
  EXPECT_EQ(card->log().size(), 5u);  // the slow command reached the card once
  ASSERT_EQ(recorder->endErrors().size(), 1u);
  EXPECT_EQ(recorder->endErrors()[0].code, 200);
  EXPECT_EQ(presenter->texts(), (std::vector<std::string>{"hold", "done"}));
}

// One end however often it is asked for, with the first error text; commands after the end
// complete with 103 on the queue (from the queue or the host thread) and never reach the card.
TEST_F(CardReaderSessionTest, AfterTheFirstInvalidateNothingReachesTheCard) {
  reader->present(card);
  connectOnDetect([&] {
    recorder->session->invalidate("failed");
    recorder->session->invalidate("again");
    recorder->session->invalidate();
    recorder->session->setAlertMessage("too late");
    send(connectedTag(), selectSampleApplication(), "late");
  });
  auto s = begin();
  ASSERT_TRUE(recorder->waitFor("late"));
  ASSERT_TRUE(recorder->waitFor("end"));
  send(connectedTag(), selectSampleApplication(), "after");
  ASSERT_TRUE(recorder->waitFor("after"));
  for (const char* key : {"late", "after"}) {
    Outcome o = outcome(key);
    ASSERT_TRUE(o.error.has_value()) << key;
    EXPECT_EQ(o.error->code, 103) << key;
    EXPECT_EQ(o.sw1, 0x00) << key;
    EXPECT_FALSE(o.inline_) << key;
    EXPECT_TRUE(s->isQueueThread(o.thread)) << key;
  }
  EXPECT_TRUE(card->log().empty());
  EXPECT_EQ(recorder->endErrors().size(), 1u);
  EXPECT_EQ(presenter->texts(), (std::vector<std::string>{"hold", "failed"}));
}

// A card's first answer to one command and what the command's completion sees, with the commands
// the card got. Chaining is the session's for every reader: 61xx asks for the rest (here the card
// refuses GET RESPONSE, which ends the answer with its status); 6Cxx is resent only for a command
// that carries Le, so a PIN goes to the card once.
TEST(CardReaderSessionAnswers, OddAnswersAndChaining) {
  struct Case {
    const char* name;
    NFCISO7816APDU command;
    Bytes answer;
    std::optional<int> error;
    std::uint16_t sw;
    Bytes data;
    std::vector<Bytes> commands;  // after the first one
  };
  const Bytes getResponse{0x00, 0xC0, 0x00, 0x00, 0x10};
  const std::vector<Case> cases{
      {"empty", selectSampleApplication(), {}, 102, 0x0000, {}, {}},
      {"one byte", selectSampleApplication(), {0x90}, 102, 0x0000, {}, {}},
      {"status only", selectSampleApplication(), {0x6A, 0x82}, std::nullopt, 0x6A82, {}, {}},
      {"61xx", selectSampleApplication(), {0x01, 0x02, 0x61, 0x10}, std::nullopt, 0x6985, {0x01, 0x02}, {getResponse}},
      {"6Cxx without Le", verifyPin("1234"), {0x6C, 0x11}, std::nullopt, 0x6C11, {}, {}},
      {"6Cxx with Le", readBinary(256), {0x6C, 0x11}, std::nullopt, 0x6986, {}, {readBinary(0x11).encoded()}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto card = VirtualSampleCard::make();
    card->addFault(VirtualCardFault::answerAt(1, c.answer));
    auto reader = std::make_shared<VirtualCardReader>();
    reader->present(card);
    Platform platform;
    platform.cardReader = reader;
    platform.alertPresenter = std::make_shared<RecordingAlertPresenter>();
    const auto result = ApduChainRunner::run(platform, {c.command});
    ASSERT_EQ(result.exchanges.size(), 1u) << (result.failure ? result.failure->message : "");
    const auto& e = result.exchanges[0];
    EXPECT_EQ(e.error.has_value(), c.error.has_value());
    if (e.error && c.error) {
      EXPECT_EQ(e.error->code, *c.error);
    }
    EXPECT_EQ((e.sw1 << 8) | e.sw2, c.sw);
    EXPECT_EQ(e.data, c.data);
    std::vector<Bytes> commands{c.command.encoded()};
    commands.insert(commands.end(), c.commands.begin(), c.commands.end());
    EXPECT_EQ(card->commands(), commands);
  }
}

TEST_F(CardReaderSessionTest, SessionReleasedFromItsOwnQueueEndsCleanly) {
  // The delegate drops its session from the end callback; the last reference then goes on the
  // session's own queue.
  reader->present(card);
  struct Dropper : SessionRecorder {
    void tagReaderSession(NFCTagReaderSession& s, const NFCError& error) override {
      // Before the end is recorded: the test's TearDown touches `session` once it sees the end.
      session.reset();
      SessionRecorder::tagReaderSession(s, error);
    }
  };
  recorder = std::make_shared<Dropper>();
  connectOnDetect([&] { recorder->session->invalidate(); });
  begin().reset();
  ASSERT_TRUE(recorder->waitFor("end"));
}

// A reader whose cards take a while to reset when a session lets them go, as a card behind pcscd
// and vpcd does.
class SlowResetReader : public CardReader {
 public:
  explicit SlowResetReader(std::shared_ptr<VirtualCardReader> field) : field_(std::move(field)) {}
  bool isAvailable() override { return true; }
  std::expected<std::vector<std::shared_ptr<CardConnection>>, NFCError> waitForCards(std::stop_token stop) override {
    auto cards = field_->waitForCards(stop);
    if (cards) {
      for (auto& card : *cards) card = std::make_shared<SlowReset>(card, resets);
    }
    return cards;
  }
  std::shared_ptr<std::atomic<int>> resets = std::make_shared<std::atomic<int>>(0);

 private:
  struct SlowReset : CardConnection {
    SlowReset(std::shared_ptr<CardConnection> card, std::shared_ptr<std::atomic<int>> resets)
        : card(std::move(card)), resets(std::move(resets)) {}
    bool isISO7816() const override { return card->isISO7816(); }
    std::optional<NFCError> connect() override { return card->connect(); }
    std::expected<Bytes, NFCError> transmit(const NFCISO7816APDU& apdu, std::stop_token stop) override {
      return card->transmit(apdu, stop);
    }
    void disconnect() override {
      std::this_thread::sleep_for(300ms);
      card->disconnect();
      ++*resets;
    }
    std::shared_ptr<CardConnection> card;
    std::shared_ptr<std::atomic<int>> resets;
  };
  std::shared_ptr<VirtualCardReader> field_;
};

// The sample card's session as the example host runs it: the run comes back only once the card
// has been reset and let go (the host stops its pcscd right after), whether the chain completed
// or a command was refused.
TEST(ApduChainRunnerRelease, TheRunReturnsOnlyOnceTheCardHasBeenReset) {
  for (const std::string pin : {"1234", "9999"}) {
    SCOPED_TRACE(pin);
    auto field = std::make_shared<VirtualCardReader>();
    field->present(VirtualSampleCard::make());
    auto reader = std::make_shared<SlowResetReader>(field);
    Platform platform;
    platform.cardReader = reader;
    const auto result = ApduChainRunner::run(platform, sampleChain(pin));
    EXPECT_EQ(result.completed, pin == "1234");
    EXPECT_EQ(reader->resets->load(), 1);
    EXPECT_EQ(reader->activeSessionCount(), 0u);
  }
}

}  // namespace

namespace {

// A virtual reader that runs a test's hook, once, on the thread beginning a session: right before it
// registers the session, or right after.
class RegisteringReader : public VirtualCardReader {
 public:
  std::function<void(CardReaderSession&)> before;
  std::function<void(CardReaderSession&)> after;

 protected:
  void beforeRegistering(CardReaderSession& session) override {
    if (auto hook = std::exchange(before, nullptr)) hook(session);
  }
  void afterRegistering(CardReaderSession& session) override {
    if (auto hook = std::exchange(after, nullptr)) hook(session);
  }
};

// A session ends while the reader registers it, right before or right after, and the next session
// begins meanwhile, as when the next request's start replaces the request that is beginning; the
// ended session has let the card go (its end has run to the end) before the beginning thread goes
// on. Either way the ended session ends no other and keeps no claim on the card: the next session
// gets the card.
TEST(CardReaderSessionRegistrationTest, ASessionEndedWhileBeingRegisteredLeavesTheCardToTheNext) {
  for (const bool registered : {false, true}) {
    SCOPED_TRACE(registered ? "ended right after its registration" : "ended right before its registration");
    Watchdog watchdog(60s, registered ? "a session ended right after its registration"
                                      : "a session ended right before its registration");
    auto reader = std::make_shared<RegisteringReader>();
    reader->present(VirtualSampleCard::make());
    Platform platform;
    platform.cardReader = reader;
    platform.sessionTimeout = 30s;
    auto endedRecorder = std::make_shared<SessionRecorder>();
    auto nextRecorder = std::make_shared<SessionRecorder>();
    auto ended = std::dynamic_pointer_cast<CardReaderSession>(
        NFCTagReaderSession::create(platform, NFCPollingOption::iso14443, endedRecorder));
    auto next = std::dynamic_pointer_cast<CardReaderSession>(
        NFCTagReaderSession::create(platform, NFCPollingOption::iso14443, nextRecorder));
    (registered ? reader->after : reader->before) = [&](CardReaderSession& session) {
      std::weak_ptr<CardReaderSession> held = session.weak_from_this();
      session.invalidate();
      next->begin();
      // The end has run to its last step, the card's release, once no one but this test and the
      // beginning thread holds the session.
      EXPECT_TRUE(eventually([&] { return held.use_count() == 2; }));
    };
    ended->begin();
    EXPECT_FALSE(next->hasEnded());
    ASSERT_TRUE(nextRecorder->waitFor("detect"));
    EXPECT_EQ(reader->activeSessionCount(), 1u);
    ASSERT_TRUE(endedRecorder->waitFor("end"));
    EXPECT_EQ(endedRecorder->names(), std::vector<std::string>{"end"});
    next->invalidate();
    ASSERT_TRUE(nextRecorder->waitFor("end"));
    EXPECT_EQ(nextRecorder->endErrors().size(), 1u);
    EXPECT_TRUE(eventually([&] { return reader->activeSessionCount() == 0; }));
  }
}

// A session withdrawn before it begins never begins: it reports nothing, holds no card and lets
// go of its delegate; once begun, it can no longer be withdrawn.
TEST(CardReaderSessionWithdrawTest, OnlyASessionNotYetBegunCanBeWithdrawn) {
  Platform platform;
  auto reader = std::make_shared<VirtualCardReader>();
  platform.cardReader = reader;
  for (const bool beganFirst : {false, true}) {
    auto recorder = std::make_shared<SessionRecorder>();
    std::weak_ptr<SessionRecorder> delegate = recorder;
    auto session = NFCTagReaderSession::create(platform, NFCPollingOption::iso14443, recorder);
    recorder.reset();
    if (beganFirst) session->begin();
    EXPECT_EQ(session->withdraw(), !beganFirst);
    session->begin();
    EXPECT_EQ(reader->activeSessionCount(), beganFirst ? 1u : 0u);
    EXPECT_EQ(delegate.expired(), !beganFirst);
    EXPECT_FALSE(session->withdraw());
    session->invalidate();
    EXPECT_TRUE(eventually([&] { return reader->activeSessionCount() == 0; }));
  }
}

}  // namespace
