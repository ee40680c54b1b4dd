// What the four readers share through their frame, shown on the input-support reader (the shortest
// chain): the detected tags, the chain after the facade lets go. Sessions that end before any
// command (a failed connect too) are in CardSurfaceFamilyTest.
#include <atomic>

#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "Support/RunLoopPump.hpp"

namespace ekyc::test {
namespace {

std::shared_ptr<PromptedPiiResults> fetch(CardSurfaceRig& rig, const std::string& pin = "1234") {
  auto results = std::make_shared<PromptedPiiResults>(rig.log);
  rig.run<PromptedPiiReader>(results, [&](PromptedPiiReader& reader) { reader.fetchPromptedPii(pin); });
  return results;
}

TEST(CardSurfaceReaderFrameTest, OnlyTheFirstDetectedTagIsConnected) {
  CardSurfaceRig rig;
  CardSurfaceApplications::Options options;
  rig.card = CardSurfaceApplications::makeCard(rig.files, options);
  auto second = CardSurfaceApplications::makeCard(rig.files, options);
  rig.cardReader->presentCards({rig.card, second});
  fetch(rig);
  EXPECT_EQ(rig.log->events(), (std::vector<std::string>{"didGetPin()", "result(ok)"}));
  EXPECT_EQ(rig.card->commands().size(), 11u);
  EXPECT_TRUE(second->commands().empty());
}

TEST(CardSurfaceReaderFrameTest, TheChainRunsOnAfterTheFacadeLetsGo) {
  // didGetPin("") follows the first command: the card has seen it when the back channel is called.
  CardSurfaceRig rig;
  rig.presentCard();
  std::atomic<std::size_t> commandsAtDidGetPin{0};  // written on the session's queue
  struct Watch : IdentifyDelegate {
    std::function<void()> onPin;
    void didGetPin(const std::string&) override { onPin(); }
    void didClearInstance() override {}
    void didGetFailedPin(SetPinKey, std::optional<int>) override {}
  };
  auto watch = std::make_shared<Watch>();
  watch->onPin = [&] { commandsAtDidGetPin = rig.card->commands().size(); };
  auto results = std::make_shared<PromptedPiiResults>(rig.log);
  std::weak_ptr<PromptedPiiReader> alive;
  bool started = false;
  rig.runLoop->post([&] {
    started = true;
    auto context = rig.context();
    context.idetifyDelegate = watch;
    auto reader = std::make_shared<PromptedPiiReader>(results, context);
    alive = reader;
    reader->fetchPromptedPii("1234");
  });
  ASSERT_TRUE(::ekyc::test::pumpUntil(*rig.runLoop, [&] { return started && alive.expired(); }, std::chrono::seconds(10)));
  EXPECT_LE(commandsAtDidGetPin.load(), 1u);  // the command may not have reached the card yet...
  EXPECT_EQ(results->results().size(), 1u);  // ...but the chain ran on after the facade let go
}

}  // namespace
}  // namespace ekyc::test
