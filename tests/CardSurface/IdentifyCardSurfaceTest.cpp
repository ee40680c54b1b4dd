// The facade with the card-surface readers, host -> Identify -> reader -> virtual card: its record
// of refused PINs, two requests at once, a host that lets go, a dialog never answered. (Every
// form's plain and verified request is in IdentifyFormsTest.)
#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "Support/RunLoopPump.hpp"
#include "Identify/Identify.hpp"

namespace ekyc::test {
namespace {

class IdentifyCardSurfaceTest : public ::testing::Test {
 protected:
  CardSurfaceRig rig;
  std::shared_ptr<Identify> identify;

  void SetUp() override { rig.presentCard(); }

  std::shared_ptr<Identify> facade() {
    if (!identify) identify = Identify::create(rig.viewController, 10.0, rig.platform);
    return identify;
  }

  // Runs one facade call on the host thread until the delegate has a result and the facade has
  // let go of the reader (and the reader's session has ended).
  template <class Results>
  void call(const std::shared_ptr<Results>& results, const std::function<void(Identify&)>& request) {
    auto f = facade();
    rig.runLoop->post([&] { request(*f); });
    EXPECT_TRUE(::ekyc::test::pumpUntil(*rig.runLoop, 
        [&] { return !results->results().empty() && !f->hasReader() && rig.cardReader->activeSessionCount() == 0; },
        std::chrono::seconds(20)));
  }
};

TEST_F(IdentifyCardSurfaceTest, TheFacadeRecordsTheRefusedPinAndPassesPresetPinsUnchecked) {
  auto results = std::make_shared<BothResults>(rig.log);
  facade()->setPin(SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, rig.holder.cardPrintInfoPin);
  facade()->setPin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, "000000000000");
  call(results, [&](Identify& i) { i.getCardPrintInfoAndGetMyNumber(results, pinTexts(), nfcTexts()); });
  ASSERT_EQ(results->results().size(), 1u);
  EXPECT_EQ(results->lastOrThrow().error().localizedDescription, "個人番号情報 残り9回でロックされます。");
  EXPECT_EQ(*identify->failedPinDic(),
            (Identify::FailedPinDictionary{{SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, 9}}));

  identify.reset();
  auto invalid = std::make_shared<CardPrintResults>(rig.log);
  facade()->setPin(SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, "1234");
  call(invalid, [&](Identify& i) { i.getCardPrintInfo(invalid, pinTexts(), nfcTexts()); });
  EXPECT_EQ(invalid->lastOrThrow().error().errorCode, 12007);
  EXPECT_EQ(*identify->failedPinDic(),
            (Identify::FailedPinDictionary{{SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, std::nullopt}}));
}

// Two requests started together on one facade, in either order: the later one ends the earlier
// one's session before it reads, so their commands never interleave and each delivers one result.
TEST_F(IdentifyCardSurfaceTest, TwoRequestsStartedTogetherNeverShareTheCard) {
  struct Started {
    std::function<std::size_t()> count;
    std::function<bool()> succeeded;
  };
  // The first request's PIN is preset. The second one's is typed: the first one's end empties
  // the PIN store, which may come (on a loaded machine) between a preset and the start it was for.
  bool typed = false;
  auto pinFor = [&](Identify& i, SetPinKey key, const std::string& pin) {
    if (typed) {
      rig.viewController->enqueue(ScriptedViewController::Answer::OK(pin));
    } else {
      i.setPin(key, pin);
    }
  };
  auto cardPrint = [&](Identify& i) {
    auto results = std::make_shared<CardPrintResults>(rig.log);
    pinFor(i, SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN, rig.holder.cardPrintInfoPin);
    i.getCardPrintInfo(results, pinTexts(), nfcTexts());
    return Started{[results] { return results->results().size(); }, [results] { return results->results().at(0).has_value(); }};
  };
  auto promptedPii = [&](Identify& i) {
    auto results = std::make_shared<PromptedPiiResults>(rig.log);
    pinFor(i, SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN, rig.holder.promptedPiiPin);
    i.getPromptedPii(results, pinTexts(), nfcTexts());
    return Started{[results] { return results->results().size(); }, [results] { return results->results().at(0).has_value(); }};
  };
  using Start = std::function<Started(Identify&)>;
  auto run = [&](const std::vector<Start>& starts) {
    rig.card->clearLog();
    std::vector<Started> started;
    auto f = facade();
    rig.runLoop->post([&] {
      for (const auto& start : starts) {
        typed = !started.empty();
        started.push_back(start(*f));
      }
    });
    EXPECT_TRUE(::ekyc::test::pumpUntil(*rig.runLoop, 
        [&] {
          return started.size() == starts.size() && started.front().count() > 0 && started.back().count() > 0 &&
                 rig.cardReader->activeSessionCount() == 0;
        },
        std::chrono::seconds(20)));
    rig.runLoop->runUntilIdle(std::chrono::milliseconds(50), std::chrono::seconds(2));
    for (const auto& one : started) EXPECT_EQ(one.count(), 1u);
    if (!started.empty() && started.back().count() > 0) {
      EXPECT_TRUE(started.back().succeeded());
    }
    return rig.commands();
  };
  const std::vector<std::string> alone[] = {run({cardPrint}), run({promptedPii})};
  for (int second : {0, 1}) {
    SCOPED_TRACE(second);
    const auto& first = alone[1 - second];
    const auto& later = alone[second];
    const auto commands = run({second ? Start(cardPrint) : Start(promptedPii), second ? Start(promptedPii) : Start(cardPrint)});
    ASSERT_GE(commands.size(), later.size());
    const std::size_t cut = commands.size() - later.size();
    EXPECT_EQ(std::vector<std::string>(commands.begin() + static_cast<std::ptrdiff_t>(cut), commands.end()), later);
    ASSERT_LE(cut, first.size());
    EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + static_cast<std::ptrdiff_t>(cut)),
              std::vector<std::string>(first.begin(), first.begin() + static_cast<std::ptrdiff_t>(cut)));
  }
}

// A host that lets go of the facade as soon as it has the result, while the session still ends
// behind it (here the host's own delegate is slow to return), gets control back only once the
// session has shown its last text and reset the card.
TEST_F(IdentifyCardSurfaceTest, LettingGoOfTheFacadeReturnsOnceTheCardIsReset) {
  struct SlowHost : MyNumberResults {
    using MyNumberResults::MyNumberResults;
    void didGetMyNumberInfo(const std::expected<MyNumberInfo, MyNumberInfoError>& result) override {
      MyNumberResults::didGetMyNumberInfo(result);
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
  };
  auto results = std::make_shared<SlowHost>(rig.log);
  facade()->setPin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, rig.holder.myNumberPin);
  rig.runLoop->post([&] { identify->getMyNumber(results, pinTexts(), nfcTexts()); });
  ASSERT_TRUE(::ekyc::test::pumpUntil(*rig.runLoop, [&] { return !results->results().empty(); },
                                      std::chrono::seconds(20)));
  identify.reset();
  EXPECT_EQ(rig.card->commandCount(), 0u) << "the card was not reset";
  EXPECT_EQ(rig.cardReader->activeSessionCount(), 0u);
  EXPECT_EQ(lastOf(rig.alerts->texts()), "success");
}

// A PIN dialog never answered holds the request, not the host's view controller or facade: once
// the host lets go of both, everything goes (the request ending as a cancelled dialog).
TEST_F(IdentifyCardSurfaceTest, ADialogNeverAnsweredKeepsNothingAliveInACycle) {
  auto results = std::make_shared<PromptedPiiResults>(rig.log);
  auto f = facade();
  rig.runLoop->post([&] { f->getPromptedPii(results, pinTexts(), nfcTexts()); });
  ASSERT_TRUE(::ekyc::test::pumpUntil(*rig.runLoop, [&] { return rig.viewController->presentedCount() == 1; },
                                      std::chrono::seconds(10)));
  std::weak_ptr<PromptedPiiReader> reader = f->reader<PromptedPiiReader>();
  std::weak_ptr<ScriptedViewController> viewController = rig.viewController;
  std::weak_ptr<Identify> weakFacade = f;
  f.reset();
  identify.reset();
  rig.viewController.reset();
  rig.runLoop->runUntilIdle(std::chrono::milliseconds(20), std::chrono::seconds(2));
  EXPECT_TRUE(reader.expired() && viewController.expired() && weakFacade.expired());
  EXPECT_EQ(rig.log->events(), std::vector<std::string>{"result(12101)"});
}

}  // namespace
}  // namespace ekyc::test
