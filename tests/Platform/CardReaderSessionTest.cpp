// The NFC session layer on the in-process virtual reader: threads and order of callbacks, the
// exactly-once completion contract, the session's end (invalidate, time-out, sheet cancel,
// reader failure), lost cards and odd answers.
#include <gtest/gtest.h>

#include <atomic>
#include <map>

#include "Platform/CardReaderSession.hpp"
#include "Platform/NFCTagReaderSession.hpp"
#include "Platform/Platform.hpp"
#include "Platform/RecordingAlertPresenter.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualCardReader.hpp"
#include "Platform/VirtualCard/VirtualSampleCard.hpp"
#include "Platform/PlatformTestSupport.hpp"
#include "Platform/SessionRecorder.hpp"

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
    // End whatever still runs and make sure every session is gone before the fixture is.
    if (auto s = session.lock()) s->invalidate();
    if (recorder) {
      recorder->waitFor("end");
      recorder->session.reset();
    }
    recorder.reset();
    {
      std::lock_guard lock(mutex);
      iso.reset();  // a tag holds its session
    }
    EXPECT_TRUE(eventually([&] { return session.expired(); }));
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

TEST_F(CardReaderSessionTest, ChainRunsInOrderOnTheSessionQueueWithEachCompletionOnce) {
  reader->present(card);
  const auto chain = sampleChain();
  std::function<void(std::size_t)> step = [&](std::size_t i) {
    if (i == chain.size()) {
      recorder->session->setAlertMessage("done");
      recorder->session->invalidate();
      return;
    }
    send(connectedTag(), chain[i], "cmd" + std::to_string(i), [&, i] { step(i + 1); });
  };
  connectOnDetect([&] { step(0); });
  auto s = begin();
  ASSERT_TRUE(recorder->waitFor("end"));

  std::vector<std::string> expected{"active", "detect", "connect"};
  for (std::size_t i = 0; i < chain.size(); ++i) expected.push_back("cmd" + std::to_string(i));
  expected.push_back("end");
  EXPECT_EQ(recorder->names(), expected);
  for (const auto& event : recorder->events()) {
    EXPECT_TRUE(s->isQueueThread(event.thread)) << event.name;
    EXPECT_NE(event.thread, std::this_thread::get_id()) << event.name;
  }
  for (std::size_t i = 0; i < chain.size(); ++i) {
    Outcome o = outcome("cmd" + std::to_string(i));
    EXPECT_EQ(o.calls, 1);
    EXPECT_FALSE(o.inline_) << "completion ran inside sendCommand";
    EXPECT_FALSE(o.error.has_value());
    EXPECT_EQ(o.sw1, 0x90);
    EXPECT_EQ(o.sw2, 0x00);
  }
  EXPECT_EQ(outcome("cmd4").data, VirtualSampleCard::protectedContents());
  EXPECT_EQ(outcome("cmd6").data, VirtualSampleCard::freeContents());
  ASSERT_EQ(recorder->endErrors().size(), 1u);
  EXPECT_EQ(recorder->endErrors()[0].code, 200);  // a session the app ends itself reports 200
  EXPECT_EQ(presenter->texts(), (std::vector<std::string>{"hold", "done"}));

  // The session let go of its delegate once it had reported its end.
  std::weak_ptr<SessionRecorder> weakRecorder = recorder;
  recorder->session.reset();
  recorder.reset();
  s.reset();
  {
    std::lock_guard lock(mutex);
    iso.reset();
  }
  EXPECT_TRUE(eventually([&] { return weakRecorder.expired() && session.expired(); }));
}

TEST_F(CardReaderSessionTest, CommandsSentTogetherCompleteInOrderEachOnce) {
  reader->present(card);
  connectOnDetect([&] {
    auto tag = connectedTag();
    send(tag, selectSampleApplication(), "a");
    send(tag, selectFile(VirtualSampleCard::FREE_FILE), "b");
    send(tag, readBinary(17), "c");
  });
  begin();
  ASSERT_TRUE(recorder->waitFor("c"));
  auto names = recorder->names();
  EXPECT_EQ(std::vector<std::string>(names.begin() + 3, names.begin() + 6), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(outcome("c").data, VirtualSampleCard::freeContents());
  for (const char* key : {"a", "b", "c"}) EXPECT_EQ(outcome(key).calls, 1);
}

TEST_F(CardReaderSessionTest, InvalidateTwiceReportsOneEndAndShowsTheErrorText) {
  reader->present(card);
  connectOnDetect([&] {
    recorder->session->invalidate("failed");
    recorder->session->invalidate("again");
    recorder->session->invalidate();
    recorder->session->setAlertMessage("too late");
  });
  begin();
  ASSERT_TRUE(recorder->waitFor("end"));
  // Nothing else may arrive: drop everything and wait until the session is gone.
  recorder->session.reset();
  {
    std::lock_guard lock(mutex);
    iso.reset();
  }
  EXPECT_TRUE(eventually([&] { return session.expired(); }));
  EXPECT_EQ(recorder->endErrors().size(), 1u);
  EXPECT_EQ(presenter->texts(), (std::vector<std::string>{"hold", "failed"}));
}

// A slow answer is waited for on the I/O thread while quick ones are answered on the queue; the
// commands sent behind a slow one still complete after it, in the order they were sent.
TEST_F(CardReaderSessionTest, CommandsBehindASlowAnswerKeepTheirOrder) {
  card->addFault(VirtualCardFault::delayAt(2, 30ms));
  reader->present(card);
  connectOnDetect([&] {
    auto tag = connectedTag();
    send(tag, selectSampleApplication(), "a");
    send(tag, selectFile(VirtualSampleCard::FREE_FILE), "slow");
    send(tag, readBinary(17), "b");
    send(tag, selectFile(VirtualSampleCard::FREE_FILE), "c", [&] { send(connectedTag(), readBinary(17), "d"); });
  });
  auto s = begin();
  ASSERT_TRUE(recorder->waitFor("d"));
  auto names = recorder->names();
  EXPECT_EQ(std::vector<std::string>(names.begin() + 3, names.begin() + 8),
            (std::vector<std::string>{"a", "slow", "b", "c", "d"}));
  for (const char* key : {"a", "slow", "b", "c", "d"}) {
    Outcome o = outcome(key);
    EXPECT_EQ(o.calls, 1) << key;
    EXPECT_FALSE(o.error.has_value()) << key;
    EXPECT_FALSE(o.inline_) << key;
    EXPECT_TRUE(s->isQueueThread(o.thread)) << key;
    EXPECT_EQ(o.sw1, 0x90) << key;
  }
  EXPECT_EQ(outcome("b").data, VirtualSampleCard::freeContents());
  EXPECT_EQ(outcome("d").data, VirtualSampleCard::freeContents());
  EXPECT_EQ(card->log().size(), 5u);  // the slow command reached the card once
}

TEST_F(CardReaderSessionTest, CommandsAfterTheEndCompleteWithAnErrorOnTheQueue) {
  reader->present(card);
  connectOnDetect([&] {
    recorder->session->invalidate();
    send(connectedTag(), selectSampleApplication(), "late");
  });
  auto s = begin();
  ASSERT_TRUE(recorder->waitFor("late"));
  ASSERT_TRUE(recorder->waitFor("end"));
  Outcome late = outcome("late");
  ASSERT_TRUE(late.error.has_value());
  EXPECT_EQ(late.error->code, 103);
  EXPECT_EQ(late.sw1, 0x00);
  EXPECT_EQ(late.sw2, 0x00);
  EXPECT_FALSE(late.inline_);
  EXPECT_TRUE(s->isQueueThread(late.thread));
  EXPECT_TRUE(card->log().empty());

  // From the host thread too, after the end.
  send(connectedTag(), selectSampleApplication(), "after");
  ASSERT_TRUE(recorder->waitFor("after"));
  EXPECT_EQ(outcome("after").error->code, 103);
  EXPECT_TRUE(s->isQueueThread(outcome("after").thread));
}

TEST_F(CardReaderSessionTest, OddAnswersBecomeResponseErrorsWithoutData) {
  card->addFault(VirtualCardFault::answerAt(1, {}));
  card->addFault(VirtualCardFault::answerAt(2, {0x90}));
  card->addFault(VirtualCardFault::answerAt(3, {0x6A, 0x82}));
  card->addFault(VirtualCardFault::answerAt(4, {0x01, 0x02, 0x61, 0x10}));
  reader->present(card);
  connectOnDetect([&] {
    auto tag = connectedTag();
    for (int i = 1; i <= 4; ++i) send(tag, selectSampleApplication(), std::to_string(i));
  });
  begin();
  ASSERT_TRUE(recorder->waitFor("4"));
  for (const char* key : {"1", "2"}) {
    Outcome o = outcome(key);
    ASSERT_TRUE(o.error.has_value()) << key;
    EXPECT_EQ(o.error->code, 102);
    EXPECT_EQ(o.sw1, 0x00);
    EXPECT_EQ(o.sw2, 0x00);
    EXPECT_TRUE(o.data.empty());
  }
  EXPECT_FALSE(outcome("3").error.has_value());
  EXPECT_EQ(outcome("3").sw1, 0x6A);
  EXPECT_EQ(outcome("3").sw2, 0x82);
  // Chaining is the session's for every reader: 61xx asks for the rest, and the card's refusal of
  // GET RESPONSE ends the answer with its status.
  EXPECT_EQ(outcome("4").data, (Bytes{0x01, 0x02}));
  EXPECT_EQ(outcome("4").sw1, 0x69);
  EXPECT_EQ(outcome("4").sw2, 0x85);
}

// 6Cxx asks for the command again with another Le: only a command that carries Le is sent again,
// so a VERIFY (and its PIN) never goes to the card twice.
TEST_F(CardReaderSessionTest, WrongLengthResendsOnlyACommandThatCarriesLe) {
  card->addFault(VirtualCardFault::answerAt(1, {0x6C, 0x11}));
  card->addFault(VirtualCardFault::answerAt(2, {0x6C, 0x11}));
  reader->present(card);
  connectOnDetect([&] {
    send(connectedTag(), verifyPin("1234"), "verify");
    send(connectedTag(), readBinary(256), "read");
  });
  begin();
  ASSERT_TRUE(recorder->waitFor("read"));
  EXPECT_EQ(outcome("verify").sw1, 0x6C);
  EXPECT_EQ(card->commands(),
            (std::vector<Bytes>{verifyPin("1234").encoded(), readBinary(256).encoded(), readBinary(0x11).encoded()}));
}

TEST_F(CardReaderSessionTest, SessionReleasedFromItsOwnQueueEndsCleanly) {
  // The delegate drops its session from the end callback; the last reference then goes on the
  // session's own queue.
  reader->present(card);
  struct Dropper : SessionRecorder {
    void tagReaderSession(NFCTagReaderSession& s, const NFCError& error) override {
      SessionRecorder::tagReaderSession(s, error);
      session.reset();
    }
  };
  auto dropper = std::make_shared<Dropper>();
  recorder = dropper;
  connectOnDetect([&] { recorder->session->invalidate(); });
  {
    auto s = begin();
    s.reset();
  }
  ASSERT_TRUE(recorder->waitFor("end"));
  {
    std::lock_guard lock(mutex);
    iso.reset();
  }
  EXPECT_TRUE(eventually([&] { return session.expired(); }));
}

}  // namespace
