#include <chrono>
#include "Support/RunLoopPump.hpp"
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "UI/InputPinDialog.hpp"
#include "UI/RunLoop.hpp"
#include "UI/ScriptedViewController.hpp"

namespace ekyc::test {
namespace {

using namespace std::chrono_literals;

struct DialogRun {
  int completions = 0;
  std::thread::id thread;
  bool onHostThread = false;
};

class InputPinDialogTest : public testing::Test {
 protected:
  std::shared_ptr<RunLoop> runLoop = std::make_shared<RunLoop>();
  std::shared_ptr<ScriptedViewController> viewController = std::make_shared<ScriptedViewController>(runLoop);
  std::shared_ptr<InputPinDialog> dialog = std::make_shared<InputPinDialog>();
  std::shared_ptr<DialogRun> run = std::make_shared<DialogRun>();

  void show(const std::string& preset = "") {
    dialog->show(viewController, "Title", "Message", "Placeholder", "OK", "Cancel", preset,
                 [run = run, loop = runLoop] {
                   ++run->completions;
                   run->thread = std::this_thread::get_id();
                   run->onHostThread = loop->isHostThread();
                 });
  }
  void TearDown() override { viewController->dismissUnanswered(); }
};

// Unanswered, nothing completes; then only the first tap counts, its completion runs once on the
// host thread, and the text of the field is the PIN.
TEST_F(InputPinDialogTest, OnlyTheFirstTapCompletesOnceOnTheHostThread) {
  show("5678");
  EXPECT_FALSE(::ekyc::test::pumpUntil(*runLoop, [&] { return run->completions > 0; }, 50ms));
  EXPECT_FALSE(dialog->dialogPin);
  EXPECT_FALSE(dialog->isCanceled);
  ASSERT_EQ(viewController->alerts().size(), 1u);
  const auto alert = viewController->alerts()[0];
  ASSERT_FALSE(alert->textFields().empty());
  EXPECT_EQ(alert->textFields()[0].text, "5678");  // the preset text
  alert->textFields()[0].text = "4321";
  EXPECT_TRUE(alert->tap(0));
  EXPECT_FALSE(alert->tap(1));
  EXPECT_FALSE(alert->tap(0));
  runLoop->runUntilIdle(20ms, 1s);
  EXPECT_EQ(run->completions, 1);
  EXPECT_EQ(run->thread, std::this_thread::get_id());
  EXPECT_TRUE(run->onHostThread);
  EXPECT_EQ(dialog->dialogPin, "4321");
  EXPECT_FALSE(dialog->isCanceled);
}

// A view controller that taps the alert itself: from another thread, or inside present().
class TappingViewController : public ViewController {
 public:
  enum class Mode { fromAnotherThread, insidePresent };
  TappingViewController(std::shared_ptr<RunLoop> loop, Mode mode) : ViewController(std::move(loop)), mode_(mode) {}
  ~TappingViewController() override {
    if (tapper_.joinable()) tapper_.join();
  }
  void present(std::shared_ptr<AlertController> alert, bool) override {
    alert->textFields().front().text = "2468";
    if (mode_ == Mode::insidePresent) {
      alert->tap(*alert->actionIndex(AlertActionStyle::defaultStyle));
    } else {
      tapper_ = std::thread([alert] { alert->tap(*alert->actionIndex(AlertActionStyle::cancel)); });
    }
  }

 private:
  Mode mode_;
  std::thread tapper_;
};

TEST_F(InputPinDialogTest, TheCompletionRunsOnTheHostThreadAfterShowReturnsWhoeverTaps) {
  for (const auto mode : {TappingViewController::Mode::fromAnotherThread, TappingViewController::Mode::insidePresent}) {
    SCOPED_TRACE(static_cast<int>(mode));
    auto tapping = std::make_shared<TappingViewController>(runLoop, mode);
    auto local = std::make_shared<InputPinDialog>();
    auto localRun = std::make_shared<DialogRun>();
    bool returned = false;
    bool completedBeforeReturn = false;
    // Shown from a task of the host's run loop, as a reader's entry would be.
    runLoop->post([&] {
      local->show(tapping, "T", "M", "P", "OK", "Cancel", "", [&, localRun, loop = runLoop] {
        completedBeforeReturn = !returned;
        ++localRun->completions;
        localRun->onHostThread = loop->isHostThread();
      });
      returned = true;
    });
    ASSERT_TRUE(::ekyc::test::pumpUntil(*runLoop, [&] { return localRun->completions > 0; }, 5s));
    runLoop->runUntilIdle(20ms, 1s);
    EXPECT_EQ(localRun->completions, 1);
    EXPECT_TRUE(localRun->onHostThread);
    EXPECT_FALSE(completedBeforeReturn);
    if (mode == TappingViewController::Mode::insidePresent) {
      EXPECT_EQ(local->dialogPin, "2468");
    } else {
      EXPECT_TRUE(local->isCanceled);
      EXPECT_FALSE(local->dialogPin);
    }
  }
}

TEST_F(InputPinDialogTest, APendingDialogKeepsItselfAlive) {
  viewController->enqueue(ScriptedViewController::Answer::OK("9999"));
  std::weak_ptr<InputPinDialog> weak;
  auto seen = std::make_shared<std::optional<std::string>>();
  {
    auto local = std::make_shared<InputPinDialog>();
    weak = local;
    local->show(viewController, "T", "M", "P", "OK", "Cancel", "", [seen, weak] {
      if (auto d = weak.lock()) *seen = d->dialogPin;
    });
  }
  EXPECT_FALSE(weak.expired());
  ASSERT_TRUE(::ekyc::test::pumpUntil(*runLoop, [&] { return seen->has_value(); }, 5s));
  EXPECT_EQ(**seen, "9999");
}

TEST_F(InputPinDialogTest, WithoutAViewControllerItCountsAsCancelled) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  dialog->show(nullptr, "T", "M", "P", "OK", "Cancel", "", [run = run] { ++run->completions; });
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "isCanceled\n");  // the console line: never stdout
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(run->completions, 1);
  EXPECT_TRUE(dialog->isCanceled);
  EXPECT_FALSE(dialog->dialogPin);
}

}  // namespace
}  // namespace ekyc::test
