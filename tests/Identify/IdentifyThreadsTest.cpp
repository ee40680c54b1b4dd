// The facade between the host thread and the NFC queues, with the input-support reader: requests
// that run real sessions (no card comes, each ends by its time-out), results delivered on the
// session's queue, and a host that starts the next request from inside its result callback while
// another thread uses the PIN store. Also a request left at its PIN dialog against a slow card.
#include <atomic>
#include "Support/RunLoopPump.hpp"
#include <chrono>
#include <expected>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "Identify/Identify.hpp"
#include "PromptedPii/PromptedPiiReader.hpp"
#include "Platform/VirtualCard/VirtualCardFault.hpp"
#include "Platform/VirtualCard/VirtualCardReader.hpp"
#include "UI/ScriptedViewController.hpp"

namespace ekyc::test {
namespace {

using namespace std::chrono_literals;
using Answer = ScriptedViewController::Answer;

const InputPinDialogDisplaySettingGroup PIN_TEXTS{"t1", "t2", "m1", "m2", "p1", "p2", "OK", "Cancel"};
const NFCDialogMessageSettingGroup NFC_TEXTS{"hold", "reading", "done", "failed"};

class IdentifyThreadsTest : public testing::Test {
 protected:
  static Platform platform() {
    Platform platform;
    platform.cardReader = std::make_shared<VirtualCardReader>();
    platform.sessionTimeout = 5ms;
    return platform;
  }

  std::shared_ptr<RunLoop> runLoop = std::make_shared<RunLoop>();
  std::shared_ptr<ScriptedViewController> viewController = std::make_shared<ScriptedViewController>(runLoop);
  std::shared_ptr<Identify> identify = Identify::create(viewController, 5.0, platform());
};

TEST_F(IdentifyThreadsTest, TheNextRequestStartsFromInsideACallbackOnTheNfcQueue) {
  constexpr int REQUESTS = 40;

  struct Host : PromptedPiiReaderDelegate {
    std::weak_ptr<Identify> identify;
    std::shared_ptr<ScriptedViewController> viewController;
    std::shared_ptr<RunLoop> runLoop;
    std::mutex mutex;
    std::vector<std::int64_t> codes;
    std::atomic<int> onHostThread{0};

    void request(int n) {
      auto facade = identify.lock();
      if (n % 2 == 0) {
        facade->setPin(SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN, "1234");
      } else {
        viewController->enqueue(Answer::OK("5678"));
      }
      facade->getPromptedPii(self.lock(), PIN_TEXTS, NFC_TEXTS);
    }
    void didGetPromptedPii(const std::expected<PromptedPii, PromptedPiiError>& result) override {
      if (runLoop->isHostThread()) ++onHostThread;
      std::size_t count = 0;
      {
        std::lock_guard lock(mutex);
        codes.push_back(result ? 0 : result.error().errorCode);
        count = codes.size();
      }
      if (count < REQUESTS) request(static_cast<int>(count));
    }
    std::size_t count() {
      std::lock_guard lock(mutex);
      return codes.size();
    }
    std::weak_ptr<Host> self;
  };

  auto host = std::make_shared<Host>();
  host->self = host;
  host->identify = identify;
  host->viewController = viewController;
  host->runLoop = runLoop;

  // Another thread of the host uses the facade all the while.
  std::atomic<bool> stop{false};
  std::thread other([&] {
    while (!stop.load()) {
      identify->setPin(SetPinKey::DRIVERLICENSE_PIN1, "0000");
      (void)identify->pinDic();
      (void)identify->pinForSigner();
      (void)identify->failedPinDic();
      (void)identify->hasReader();
      std::this_thread::yield();
    }
  });

  runLoop->post([&] { host->request(0); });
  const bool finished = ::ekyc::test::pumpUntil(*runLoop, [&] { return host->count() >= REQUESTS; }, 60s);
  stop = true;
  other.join();
  ASSERT_TRUE(finished) << host->count() << " results";

  {
    std::lock_guard lock(host->mutex);
    ASSERT_EQ(host->codes.size(), static_cast<std::size_t>(REQUESTS));
    for (const auto code : host->codes) EXPECT_EQ(code, 13600);
  }
  // Delivered on the sessions' queues, never on the host thread.
  EXPECT_EQ(host->onHostThread.load(), 0);
  // The facade holds no reader once the last session has ended.
  EXPECT_TRUE(::ekyc::test::pumpUntil(*runLoop, [&] { return !identify->hasReader(); }, 10s));
  EXPECT_EQ(identify->pinForSigner(), "");
}

TEST_F(IdentifyThreadsTest, RequestsFromTwoThreadsEachEndWithOneResult) {
  // Several requests at once from two threads: each one drops the previous reader, which runs on
  // to its end; exactly one result comes per request whatever the interleaving.
  struct Host : PromptedPiiReaderDelegate {
    std::atomic<int> results{0};
    void didGetPromptedPii(const std::expected<PromptedPii, PromptedPiiError>&) override { ++results; }
  };
  auto host = std::make_shared<Host>();
  constexpr int PER_THREAD = 20;
  auto start = [&](bool preset) {
    if (preset) {
      identify->setPin(SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN, "12");  // refused by the rule
    } else {
      viewController->enqueue(Answer::Cancel());
    }
    identify->getPromptedPii(host, PIN_TEXTS, NFC_TEXTS);
  };
  std::thread other([&] {
    for (int i = 0; i < PER_THREAD; ++i) start(i % 2 == 0);
  });
  for (int i = 0; i < PER_THREAD; ++i) runLoop->post([&, i] { start(i % 3 == 0); });
  other.join();
  ASSERT_TRUE(::ekyc::test::pumpUntil(*runLoop, [&] { return host->results.load() >= 2 * PER_THREAD; }, 60s)) << host->results.load();
  runLoop->runUntilIdle(20ms, 2s);
  EXPECT_EQ(host->results.load(), 2 * PER_THREAD);
  ASSERT_TRUE(identify->failedPinDic());
  EXPECT_EQ(identify->failedPinDic()->size(), 1u);
}

// A request left at its PIN dialog (its facade dropped, or the next request started) never takes
// the card: the user answering that dialog afterwards sends no command, the request that reads the
// card meanwhile (slowly) gets its own result and facade state, and the left one ends as a
// cancelled dialog, once.
TEST(IdentifyLeftDialogTest, AnsweringTheDialogOfALeftRequestTakesNoCard) {
  struct Row {
    std::string name;
    bool sameFacade, next;
  };
  for (const Row& row : {Row{"facade dropped, another facade reading", false, true},
                         Row{"the next request of the same facade reading", true, true},
                         Row{"facade dropped, nothing else", false, false}}) {
    CardSurfaceRig rig;
    rig.presentCard().addFault(VirtualCardFault::delayEach(30ms));
    auto first = Identify::create(rig.viewController, 10.0, rig.platform);
    auto left = std::make_shared<MyNumberResults>(rig.log), live = std::make_shared<MyNumberResults>(rig.log);
    first->getMyNumber(left, pinTexts(), nfcTexts());
    ASSERT_EQ(rig.viewController->presentedCount(), 1u) << row.name;
    auto second = row.sameFacade ? first : Identify::create(rig.viewController, 10.0, rig.platform);
    if (!row.sameFacade) first.reset();
    if (row.next) {
      second->setPin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, rig.holder.myNumberPin);
      second->getMyNumber(live, pinTexts(), nfcTexts());
      ASSERT_TRUE(pumpUntil(*rig.runLoop, [&] { return !rig.card->commands().empty(); }, 10s)) << row.name;
    }
    const auto alert = rig.viewController->alerts().front();
    alert->textFields().front().text = rig.holder.myNumberPin;
    alert->tap(*alert->actionIndex(AlertActionStyle::defaultStyle));
    ASSERT_TRUE(pumpUntil(*rig.runLoop, [&] {
      return left->last() && (!row.next || live->last()) && rig.cardReader->activeSessionCount() == 0;
    }, 20s)) << row.name;
    const auto sent = rig.card->commands().size();
    rig.runLoop->runUntilIdle(50ms, 5s);
    EXPECT_EQ(rig.card->commands().size(), sent) << row.name;
    if (row.next) {
      EXPECT_TRUE(live->last() && live->last()->has_value()) << row.name;
      EXPECT_FALSE(second->failedPinDic()) << row.name;
    } else {
      EXPECT_EQ(sent, 0u) << row.name;
    }
    const auto ended = left->results();
    ASSERT_EQ(ended.size(), 1u) << row.name;
    EXPECT_EQ(ended[0] ? 0 : ended[0].error().errorCode, 12101) << row.name;
  }
}

}  // namespace
}  // namespace ekyc::test
