// Hosts that start requests at the same moment from several threads, and hosts that call back into
// the library from their own callbacks (the NFC sheet presenter, another thread while a session is
// being created), and the PIN store as those callbacks see it. Each step that could hang runs under
// a watchdog, so a hang fails the test.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "Identify/Identify.hpp"
#include "Jpki/JpkiRig.hpp"
#include "Platform/NFCAlertPresenter.hpp"
#include "Support/RunLoopPump.hpp"
#include "Support/Watchdog.hpp"

namespace ekyc::test {
namespace {

using namespace std::chrono_literals;

constexpr SetPinKey NUMBER_PIN = SetPinKey::MYNUMBERCARD_MYNUMBER_PIN;

std::int64_t codeOf(const std::expected<MyNumberInfo, MyNumberInfoError>& result) {
  return result ? 0 : result.error().errorCode;
}

// One result, and that one with the given code (0: a success).
::testing::AssertionResult endedOnceWith(const MyNumberResults& results, std::int64_t code) {
  const auto all = results.results();
  if (all.size() != 1) return ::testing::AssertionFailure() << all.size() << " results";
  if (codeOf(all.front()) != code) return ::testing::AssertionFailure() << "ended with " << codeOf(all.front());
  return ::testing::AssertionSuccess();
}

// Several threads start a request on one facade at the same moment; nobody answers the dialogs.
// Then the host lets go of the facade and reads the card through a new one, or starts the next
// request on the same facade. Every left request ends with 12101 exactly once, answering the left
// dialogs afterwards sends nothing to the card, and the live request reads it.
TEST(IdentifyConcurrentStartsTest, EveryRequestLeftAtItsDialogIsAbandoned) {
  struct Row {
    int threads;
    bool sameFacade;
  };
  constexpr int ROUNDS = 8;
  for (const Row row : {Row{2, false}, Row{3, false}, Row{2, true}, Row{3, true}}) {
    for (int round = 0; round < ROUNDS && !::testing::Test::HasFailure(); ++round) {
      SCOPED_TRACE(std::to_string(row.threads) + " threads, " + (row.sameFacade ? "same facade" : "new facade") +
                   ", round " + std::to_string(round));
      Watchdog watchdog(60s, "concurrent starts");
      CardSurfaceRig rig;
      rig.presentCard();
      auto first = Identify::create(rig.viewController, 10.0, rig.platform);
      std::vector<std::shared_ptr<MyNumberResults>> left;
      for (int i = 0; i < row.threads; ++i) left.push_back(std::make_shared<MyNumberResults>(rig.log));
      std::atomic<int> ready{0};
      std::vector<std::thread> threads;
      for (int i = 0; i < row.threads; ++i) {
        threads.emplace_back([&, i] {
          ++ready;
          while (ready.load() < row.threads) std::this_thread::yield();
          first->getMyNumber(left[i], pinTexts(), nfcTexts());
        });
      }
      for (auto& thread : threads) thread.join();
      // The last request started shows its dialog; one replaced before its entry ran shows none.
      ASSERT_GE(rig.viewController->presentedCount(), 1u);
      ASSERT_LE(rig.viewController->presentedCount(), static_cast<std::size_t>(row.threads));

      auto second = row.sameFacade ? first : Identify::create(rig.viewController, 10.0, rig.platform);
      if (!row.sameFacade) first.reset();
      auto live = std::make_shared<MyNumberResults>(rig.log);
      second->setPin(NUMBER_PIN, rig.holder.myNumberPin);
      second->getMyNumber(live, pinTexts(), nfcTexts());
      const auto allEnded = [&] {
        for (const auto& request : left)
          if (request->results().empty()) return false;
        return live->last() && rig.cardReader->activeSessionCount() == 0;
      };
      EXPECT_TRUE(pumpUntil(*rig.runLoop, allEnded, 10s));

      EXPECT_EQ(rig.commandsAfterAnsweringEveryDialog(rig.holder.myNumberPin), 0u) << "a left request took the card";
      EXPECT_TRUE(endedOnceWith(*live, 0));
      for (const auto& request : left) EXPECT_TRUE(endedOnceWith(*request, 12101));
    }
  }
}

// A presenter that hands every sheet text to the test's hook, on the thread that shows it.
class HookedPresenter : public NFCAlertPresenter {
 public:
  std::function<void(const std::string&)> onText;
  void present(const std::string& text) override {
    if (onText) onText(text);
  }
};

// The host's presenter, shown the first sheet text (on the thread beginning the session), lets go
// of its last facade handle, or starts the next request on that facade. Neither hangs, and every
// request gets its one result: the first reads the card, or, ended by the next, ends with 13700.
TEST(IdentifyHostCallbacksTest, ThePresenterMayDropTheFacadeOrStartARequest) {
  for (const bool drop : {true, false}) {
    SCOPED_TRACE(drop ? "drops the facade" : "starts the next request");
    CardSurfaceRig rig;
    auto presenter = std::make_shared<HookedPresenter>();
    rig.platform.alertPresenter = presenter;
    rig.platform.releaseWait = 60s;  // a release that waited for the session held up here would hang
    rig.presentCard();
    auto facade = Identify::create(rig.viewController, 10.0, rig.platform);
    auto firstResults = std::make_shared<MyNumberResults>(rig.log);
    auto nextResults = std::make_shared<MyNumberResults>(rig.log);
    std::atomic<bool> called{false};
    presenter->onText = [&](const std::string& text) {
      if (text != "initial" || called.exchange(true)) return;
      if (drop) {
        facade.reset();
      } else {
        facade->setPin(NUMBER_PIN, rig.holder.myNumberPin);
        facade->getMyNumber(nextResults, pinTexts(), nfcTexts());
      }
    };
    facade->setPin(NUMBER_PIN, rig.holder.myNumberPin);
    {
      Watchdog watchdog(20s, drop ? "presenter dropping the facade" : "presenter starting a request");
      facade->getMyNumber(firstResults, pinTexts(), nfcTexts());
      EXPECT_TRUE(pumpUntil(*rig.runLoop, [&] {
        return firstResults->last() && (drop || nextResults->last()) && rig.cardReader->activeSessionCount() == 0;
      }, 10s));
    }
    EXPECT_TRUE(called.load());
    if (drop) {
      EXPECT_TRUE(endedOnceWith(*firstResults, 0));
    } else {
      EXPECT_TRUE(endedOnceWith(*firstResults, 13700));
      EXPECT_TRUE(endedOnceWith(*nextResults, 0));
    }
    presenter->onText = nullptr;
  }
}

// A session arms its time-out before it shows its first text: while the host's presenter holds up
// that text, with no card in the field, the time-out ends the request (13600) all the same.
TEST(IdentifyHostCallbacksTest, TheTimeOutRunsWhileThePresenterHoldsTheFirstText) {
  Watchdog watchdog(30s, "the time-out while the presenter holds the first text");
  CardSurfaceRig rig;
  rig.platform.sessionTimeout = 100ms;
  auto presenter = std::make_shared<HookedPresenter>();
  rig.platform.alertPresenter = presenter;
  auto facade = Identify::create(rig.viewController, 10.0, rig.platform);
  auto results = std::make_shared<MyNumberResults>(rig.log);
  std::atomic<bool> endedWhileShown{false};
  presenter->onText = [&](const std::string& text) {
    if (text == "initial") endedWhileShown = eventuallyTrue([&] { return results->last().has_value(); }, 5s);
  };
  facade->setPin(NUMBER_PIN, rig.holder.myNumberPin);
  facade->getMyNumber(results, pinTexts(), nfcTexts());
  EXPECT_TRUE(endedWhileShown.load());
  EXPECT_TRUE(pumpUntil(*rig.runLoop, [&] { return rig.cardReader->activeSessionCount() == 0; }, 10s));
  EXPECT_TRUE(endedOnceWith(*results, 13600));
  presenter->onText = nullptr;
}

bool storeEmpty(const Identify& identify) {
  const auto pins = identify.pinDic();
  return std::none_of(pins.begin(), pins.end(), [](const auto& entry) { return entry.second.has_value(); });
}

// The PIN store as the host's callbacks see it: whichever way a request ends, before its session or
// after reading the card, what the host preset served that request alone. Once the request has
// started (at the first sheet text of its session, at its result) the store is empty, and the next
// request asks for its PIN.
TEST(IdentifyHostCallbacksTest, EveryRequestEmptiesThePinStoreAsItStarts) {
  struct Row {
    std::string name;
    std::optional<std::string> pin;  // preset for the request's own slot; without one, the dialog is cancelled
    bool nfc;
    std::optional<std::string> appId;
    std::int64_t code;
  };
  const std::string right = CardSurfaceHolder::sample().myNumberPin;
  const std::vector<Row> rows{
      {"without NFC", right, false, std::nullopt, 11001},
      {"without an application id", right, true, "", 14001},
      {"a PIN that breaks the rule", "12", true, std::nullopt, 12007},
      {"the dialog cancelled", std::nullopt, true, std::nullopt, 12101},
      {"the card read", right, true, std::nullopt, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Watchdog watchdog(60s, "the PIN store at a request's start: " + row.name);
    CardSurfaceRig rig;
    auto presenter = std::make_shared<HookedPresenter>();
    rig.platform.alertPresenter = presenter;
    rig.presentCard();
    rig.cardReader->setAvailable(row.nfc);
    auto identify = Identify::create(rig.viewController, 10.0, rig.platform);
    identify->setPin(SetPinKey::DRIVERLICENSE_PIN1, "1234");  // another request's slot
    if (row.pin) {
      identify->setPin(NUMBER_PIN, *row.pin);
    } else {
      rig.viewController->enqueue(ScriptedViewController::Answer::Cancel());
    }
    std::atomic<int> looked{0}, held{0};
    const auto look = [&] {
      ++looked;
      if (!storeEmpty(*identify)) ++held;
    };
    presenter->onText = [&](const std::string& text) {
      if (text == "initial") look();
    };
    auto results = std::make_shared<MyNumberResults>(rig.log);
    results->onResult = look;
    if (row.appId) {
      identify->getMyNumber(results, row.appId, pinTexts(), nfcTexts());
    } else {
      identify->getMyNumber(results, pinTexts(), nfcTexts());
    }
    ASSERT_TRUE(pumpUntil(*rig.runLoop, [&] {
      return results->last() && !identify->hasReader() && rig.cardReader->activeSessionCount() == 0;
    }, 20s));
    EXPECT_TRUE(endedOnceWith(*results, row.code));
    EXPECT_EQ(looked.load(), row.code == 0 ? 2 : 1);
    EXPECT_EQ(held.load(), 0);
    EXPECT_TRUE(storeEmpty(*identify));

    rig.cardReader->setAvailable(true);
    const auto asked = rig.viewController->presentedCount();
    rig.viewController->enqueue(ScriptedViewController::Answer::Cancel());
    auto next = std::make_shared<MyNumberResults>(rig.log);
    identify->getMyNumber(next, pinTexts(), nfcTexts());
    ASSERT_TRUE(pumpUntil(*rig.runLoop, [&] { return next->last() && rig.cardReader->activeSessionCount() == 0; }, 20s));
    EXPECT_TRUE(endedOnceWith(*next, 12101));
    EXPECT_EQ(rig.viewController->presentedCount(), asked + 1);
    presenter->onText = nullptr;
  }
}

// A card reader that runs a hook, once, when a session is about to be created: the moment between
// a PIN dialog's answer and the session's begin.
class HookedCardReader : public VirtualCardReader {
 public:
  std::function<void()> beforeSession;
  bool acceptsNewSession() override {
    if (auto hook = std::exchange(beforeSession, nullptr)) hook();
    return VirtualCardReader::acceptsNewSession();
  }
};

// Another thread of the host lets go of the facade, or starts the next request, right after the
// user answered the PIN dialog and before the session began: that request never takes the card and
// ends with 12101, as the host is told a request left at its dialog ends.
TEST(IdentifyHostCallbacksTest, ARequestLeftBeforeItsSessionBeganEndsAsACancelledDialog) {
  for (const bool drop : {true, false}) {
    SCOPED_TRACE(drop ? "facade dropped" : "next request started");
    CardSurfaceRig rig;
    auto reader = std::make_shared<HookedCardReader>();
    rig.cardReader = reader;
    rig.platform.cardReader = reader;
    rig.presentCard();
    auto facade = Identify::create(rig.viewController, 10.0, rig.platform);
    auto left = std::make_shared<MyNumberResults>(rig.log);
    auto live = std::make_shared<MyNumberResults>(rig.log);
    std::thread other;
    reader->beforeSession = [&] {
      std::promise<void> done;
      auto finished = done.get_future();
      other = std::thread([&, done = std::move(done)]() mutable {
        if (drop) {
          facade.reset();
        } else {
          facade->setPin(NUMBER_PIN, rig.holder.myNumberPin);
          facade->getMyNumber(live, pinTexts(), nfcTexts());
        }
        done.set_value();
      });
      // The other thread is not held up by this one (no lock is held here); a bounded wait, so
      // that a library that did hold one shows a wrong result rather than a hang.
      EXPECT_EQ(finished.wait_for(5s), std::future_status::ready);
    };
    rig.viewController->enqueue(ScriptedViewController::Answer::OK(rig.holder.myNumberPin));
    {
      Watchdog watchdog(30s, "a request left before its session began");
      facade->getMyNumber(left, pinTexts(), nfcTexts());
      EXPECT_TRUE(pumpUntil(*rig.runLoop, [&] {
        return left->last() && (drop || live->last()) && rig.cardReader->activeSessionCount() == 0;
      }, 15s));
      other.join();
    }
    EXPECT_TRUE(endedOnceWith(*left, 12101));
    if (drop) {
      EXPECT_TRUE(rig.card->commands().empty());
    } else {
      EXPECT_TRUE(endedOnceWith(*live, 0));
    }
  }
}

// A card reader that runs a hook, once, inside the end of a session that waits for a card, on the
// thread ending it: when a start ends the session of the request it replaced, the moment between
// that start's step and its request's entry.
class StopHookedCardReader : public VirtualCardReader {
 public:
  void hookNextEnd(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    hook_ = std::move(hook);
  }
  std::expected<std::vector<std::shared_ptr<CardConnection>>, NFCError> waitForCards(std::stop_token stop) override {
    std::function<void()> hook;
    {
      std::lock_guard lock(mutex_);
      hook = std::exchange(hook_, nullptr);
    }
    std::optional<std::stop_callback<std::function<void()>>> onEnd;
    if (hook) {
      onEnd.emplace(stop, std::move(hook));
      armed_ = true;
    }
    return VirtualCardReader::waitForCards(stop);
  }
  // Whether a session waits for a card with the hook set on its end.
  bool armed() const { return armed_; }

 private:
  std::mutex mutex_;
  std::function<void()> hook_;
  std::atomic<bool> armed_{false};
};

// Request P waits for a card; the host starts A, and while A's start ends P's session another host
// thread starts B. A was replaced before its entry ran: whatever its PIN (the right one preset, one
// that breaks the rule, none so that the dialog would ask, a signing PIN the facade checks), it
// ends with 12101 alone, shows no dialog and tells the facade nothing (no refused PIN); P ends as a
// session closed (13700) and B reads the card.
TEST(IdentifyHostCallbacksTest, ARequestReplacedBeforeItsEntryRanEndsAsAbandoned) {
  struct Row {
    std::string name;
    std::optional<std::string> pin;  // preset for A; the card's own when "right"
    bool signing = false;
  };
  for (const Row& row : {Row{"right preset PIN", "right"}, Row{"preset PIN breaking the rule", "12"},
                         Row{"PIN left to the dialog", std::nullopt}, Row{"signing PIN the facade checks", "12", true}}) {
    SCOPED_TRACE(row.name);
    Watchdog watchdog(30s, "a request replaced before its entry ran");
    CardSurfaceRig rig;
    auto reader = std::make_shared<StopHookedCardReader>();
    rig.cardReader = reader;
    rig.platform.cardReader = reader;
    auto facade = Identify::create(rig.viewController, 10.0, rig.platform);
    auto p = std::make_shared<MyNumberResults>(rig.log);
    auto a = std::make_shared<MyNumberResults>(rig.log);
    auto signing = std::make_shared<JpkiResults>(rig.log);
    auto b = std::make_shared<MyNumberResults>(rig.log);
    std::thread other;
    reader->hookNextEnd([&] {
      std::promise<void> done;
      auto started = done.get_future();
      other = std::thread([&, done = std::move(done)]() mutable {
        facade->setPin(NUMBER_PIN, rig.holder.myNumberPin);
        facade->getMyNumber(b, pinTexts(), nfcTexts());
        done.set_value();
      });
      EXPECT_EQ(started.wait_for(5s), std::future_status::ready);
    });
    facade->setPin(NUMBER_PIN, rig.holder.myNumberPin);
    facade->getMyNumber(p, pinTexts(), nfcTexts());
    ASSERT_TRUE(eventuallyTrue([&] { return reader->armed(); }));

    const auto pin = row.pin == "right" ? std::optional(rig.holder.myNumberPin) : row.pin;
    if (row.signing) {
      facade->setPin(SetPinKey::MYNUMBERCARD_SIGNER_PIN, pin);
      facade->signAndGetBasicPersonalInfo(signing, "ZWt5Yw==", "SHA-256", false, pinTexts(), nfcTexts());
    } else {
      facade->setPin(NUMBER_PIN, pin);
      facade->getMyNumber(a, pinTexts(), nfcTexts());
    }
    other.join();
    EXPECT_FALSE(facade->failedPinDic()) << "the replaced request reported a refused PIN";
    EXPECT_EQ(rig.viewController->presentedCount(), 0u);
    if (row.signing) {
      EXPECT_EQ(signing->outcome().results, 1);
      EXPECT_EQ(signing->outcome().code, 12101);
    } else {
      EXPECT_TRUE(endedOnceWith(*a, 12101));
    }

    rig.presentCard();
    EXPECT_TRUE(pumpUntil(*rig.runLoop, [&] { return b->last() && rig.cardReader->activeSessionCount() == 0; }, 10s));
    EXPECT_TRUE(endedOnceWith(*p, 13700));
    EXPECT_TRUE(endedOnceWith(*b, 0));
  }
}

// Letting go of a facade that began no session returns at once, while another facade's session on
// the same card reader waits for a card; that facade's own release still waits for its session.
// A request refused before its session began does not end the other facade's session either. A
// facade whose own request read the card and ended waits for its own session alone, which has let
// the card go (the host keeps that request's reader, and with it the ended session).
TEST(IdentifyHostCallbacksTest, AnIdleFacadeDroppedBesideABusyOneDoesNotWaitForIt) {
  CardSurfaceRig rig;
  rig.platform.releaseWait = 60s;
  rig.presentCard();
  auto done = Identify::create(rig.viewController, 10.0, rig.platform);
  auto read = std::make_shared<MyNumberResults>(rig.log);
  rig.viewController->enqueue(ScriptedViewController::Answer::OK(rig.holder.myNumberPin));
  done->getMyNumber(read, pinTexts(), nfcTexts());
  const auto kept = done->reader<MyNumberInfoReader>();  // at its dialog, answered by the run loop
  ASSERT_TRUE(kept);
  ASSERT_TRUE(pumpUntil(*rig.runLoop, [&] { return read->last() && rig.cardReader->activeSessionCount() == 0; }, 10s));
  ASSERT_TRUE(endedOnceWith(*read, 0));
  rig.cardReader->clearField();  // the busy session waits for a card

  auto busy = Identify::create(rig.viewController, 10.0, rig.platform);
  auto results = std::make_shared<MyNumberResults>(rig.log);
  busy->setPin(NUMBER_PIN, rig.holder.myNumberPin);
  busy->getMyNumber(results, pinTexts(), nfcTexts());
  ASSERT_TRUE(eventuallyTrue([&] { return rig.cardReader->activeSessionCount() == 1; }));
  {
    Watchdog watchdog(15s, "an idle facade dropped beside a busy one");
    Identify::create(rig.viewController, 10.0, rig.platform).reset();
    done.reset();
    // A facade whose request was refused before any session neither ends nor waits for the other.
    auto idle = Identify::create(rig.viewController, 10.0, rig.platform);
    auto refused = std::make_shared<MyNumberResults>(rig.log);
    idle->setPin(NUMBER_PIN, "12");  // refused before any session
    idle->getMyNumber(refused, pinTexts(), nfcTexts());
    EXPECT_TRUE(endedOnceWith(*refused, 12007));
    idle.reset();
    EXPECT_EQ(rig.cardReader->activeSessionCount(), 1u);
  }
  EXPECT_TRUE(results->results().empty());
  rig.cardReader->cancelBySheet();
  {
    Watchdog watchdog(15s, "the busy facade dropped");
    busy.reset();
    EXPECT_EQ(rig.cardReader->activeSessionCount(), 0u);
  }
  EXPECT_TRUE(eventuallyTrue([&] { return !results->results().empty(); }));
  EXPECT_TRUE(endedOnceWith(*results, 13700));
}

// A view controller that throws when asked to show a dialog, and a result delegate that throws
// when given its result: host code that breaks the rule that callbacks do not throw.
class ThrowingViewController : public ScriptedViewController {
 public:
  using ScriptedViewController::ScriptedViewController;
  void present(std::shared_ptr<AlertController>, bool) override { throw std::runtime_error("thrown at dialog"); }
};
class ThrowingResults : public MyNumberInfoReaderDelegate {
 public:
  void didGetMyNumberInfo(const std::expected<MyNumberInfo, MyNumberInfoError>&) override {
    throw std::runtime_error("thrown at result");
  }
};

// Reads the card with one host callback throwing at `at`: a sheet text ("initial" is shown on the
// thread starting the request, "reading" on the session's queue), "dialog" or "result".
void readWithACallbackThrowingAt(const std::string& at) {
  CardSurfaceRig rig;
  auto presenter = std::make_shared<HookedPresenter>();
  presenter->onText = [at](const std::string& text) {
    if (text == at) throw std::runtime_error("thrown at " + at);
  };
  rig.platform.alertPresenter = presenter;
  rig.presentCard();
  std::shared_ptr<ViewController> viewController = rig.viewController;
  if (at == "dialog") viewController = std::make_shared<ThrowingViewController>(rig.runLoop);
  auto facade = Identify::create(viewController, 10.0, rig.platform);
  std::shared_ptr<MyNumberInfoReaderDelegate> delegate = std::make_shared<MyNumberResults>(rig.log);
  if (at == "result") delegate = std::make_shared<ThrowingResults>();
  if (at != "dialog") facade->setPin(NUMBER_PIN, rig.holder.myNumberPin);
  facade->getMyNumber(delegate, pinTexts(), nfcTexts());
  pumpUntil(*rig.runLoop, [] { return false; }, 10s);
}

// A host callback that throws ends the program at once through std::terminate, with the
// exception's text on stderr, on whichever thread it runs; never a request left without its result
// or a card left claimed.
TEST(IdentifyHostCallbacksDeathTest, AHostCallbackThatThrowsEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Row {
    std::string at, who;
  };
  for (const Row& row : {Row{"initial", "the NFC sheet presenter"}, Row{"reading", "the NFC sheet presenter"},
                         Row{"dialog", "the view controller"}, Row{"result", "the request's delegate"}}) {
    SCOPED_TRACE(row.at);
    EXPECT_DEATH(readWithACallbackThrowingAt(row.at), row.who + " threw \\(thrown at " + row.at + "\\)");
  }
}

}  // namespace
}  // namespace ekyc::test
