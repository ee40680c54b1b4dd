#include <chrono>
#include "Support/RunLoopPump.hpp"
#include <memory>
#include <string>
#include <thread>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "UI/InputPinDialog.hpp"
#include "UI/TerminalViewController.hpp"

namespace ekyc::test {
namespace {

using namespace std::chrono_literals;

// Input from a pipe, output to another; the test writes the user's typing up front.
class TerminalViewControllerTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::pipe(input_), 0);
    ASSERT_EQ(::pipe(output_), 0);
    ::fcntl(output_[0], F_SETFL, O_NONBLOCK);
    viewController = std::make_shared<TerminalViewController>(runLoop, input_[0], output_[1]);
  }
  void TearDown() override {
    for (int fd : {input_[0], input_[1], output_[0], output_[1]})
      if (fd >= 0) ::close(fd);
  }
  void type(const std::string& text) { ASSERT_EQ(::write(input_[1], text.data(), text.size()), ssize_t(text.size())); }
  void endInput() {
    ::close(input_[1]);
    input_[1] = -1;
  }
  std::string shown() {
    std::string text;
    char buffer[4096];
    for (;;) {
      const auto n = ::read(output_[0], buffer, sizeof buffer);
      if (n <= 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
  }
  // Shows one PIN dialog and runs the loop until it completes.
  std::shared_ptr<InputPinDialog> ask(const std::string& title = "PIN") {
    auto dialog = std::make_shared<InputPinDialog>();
    auto done = std::make_shared<bool>(false);
    dialog->show(viewController, title, "Enter the PIN", "4 digits", "OK", "Cancel", "", [done] { *done = true; });
    EXPECT_TRUE(::ekyc::test::pumpUntil(*runLoop, [&] { return *done; }, 5s));
    return dialog;
  }

  std::shared_ptr<RunLoop> runLoop = std::make_shared<RunLoop>();
  std::shared_ptr<TerminalViewController> viewController;
  int input_[2] = {-1, -1};
  int output_[2] = {-1, -1};
};

// Lines serve dialogs in turn without their line ends; the end of input answers Cancel.
TEST_F(TerminalViewControllerTest, LinesAnswerOkInTurnAndTheEndOfInputCancel) {
  type("1234\r\n\n2222");
  endInput();
  const auto dialog = ask();
  EXPECT_EQ(dialog->dialogPin, "1234");
  EXPECT_FALSE(dialog->isCanceled);
  EXPECT_EQ(ask("second")->dialogPin, "");     // an empty line is an empty PIN
  EXPECT_EQ(ask("third")->dialogPin, "2222");  // a last line without its end
  testing::internal::CaptureStdout();
  const auto last = ask();
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(last->isCanceled);
  EXPECT_FALSE(last->dialogPin);
  const auto text = shown();
  EXPECT_NE(text.find("second"), std::string::npos);  // the title
  EXPECT_NE(text.find("Enter the PIN"), std::string::npos);
  EXPECT_NE(text.find("4 digits"), std::string::npos);
  EXPECT_EQ(text.find("1234"), std::string::npos);  // the PIN is never written back
}

// A dialog taken down before its prompt ran is never shown and reads no line; it ends cancelled.
TEST_F(TerminalViewControllerTest, ADialogDismissedBeforeItsPromptIsNotShown) {
  type("1234\n");
  auto gone = std::make_shared<InputPinDialog>();
  auto done = std::make_shared<bool>(false);
  gone->show(viewController, "gone", "", "", "OK", "Cancel", "", [done] { *done = true; });
  gone->dismiss();
  EXPECT_TRUE(::ekyc::test::pumpUntil(*runLoop, [&] { return *done; }, 5s));
  EXPECT_TRUE(gone->isCanceled);
  EXPECT_EQ(ask()->dialogPin, "1234");
  EXPECT_EQ(shown().find("gone"), std::string::npos);
}

TEST_F(TerminalViewControllerTest, AnOverlongLineIsCut) {
  const std::string longLine(TerminalViewController::MAX_LINE_LENGTH + 500, '7');
  std::thread writer([&] { type(longLine + "\n42\n"); });
  const auto first = ask();
  const auto second = ask();
  writer.join();
  ASSERT_TRUE(first->dialogPin);
  EXPECT_EQ(first->dialogPin->size(), TerminalViewController::MAX_LINE_LENGTH);
  EXPECT_EQ(second->dialogPin, "42");
}

TEST(TerminalViewControllerTty, SecureEntryIsNotEchoedOnATerminalAndEchoComesBack) {
  int master = -1;
  int slave = -1;
  ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  int output[2] = {-1, -1};
  ASSERT_EQ(::pipe(output), 0);
  const auto echoOn = [slave] {
    termios mode{};
    return ::tcgetattr(slave, &mode) == 0 && (mode.c_lflag & ECHO) != 0;
  };
  ASSERT_TRUE(echoOn());

  auto runLoop = std::make_shared<RunLoop>();
  auto viewController = std::make_shared<TerminalViewController>(runLoop, slave, output[1]);
  // The user types once the prompt waits (typing ahead of it is flushed when echo goes off).
  std::thread user([&] {
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (echoOn() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
    ASSERT_EQ(::write(master, "8642\n", 5), 5);
  });
  auto dialog = std::make_shared<InputPinDialog>();
  bool done = false;
  dialog->show(viewController, "PIN", "", "4 digits", "OK", "Cancel", "", [&] { done = true; });
  EXPECT_TRUE(::ekyc::test::pumpUntil(*runLoop, [&] { return done; }, 10s));
  user.join();
  EXPECT_EQ(dialog->dialogPin, "8642");
  EXPECT_TRUE(echoOn());

  // Nothing of the PIN came back on the terminal.
  ::fcntl(master, F_SETFL, O_NONBLOCK);
  std::string echoed;
  char buffer[256];
  for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) echoed.append(buffer, static_cast<std::size_t>(n));
  EXPECT_EQ(echoed.find("8642"), std::string::npos) << echoed;
  for (int fd : {master, slave, output[0], output[1]}) ::close(fd);
}

}  // namespace
}  // namespace ekyc::test
