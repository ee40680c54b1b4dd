#pragma once
// A view controller for a terminal host: shows an alert as text and reads the answer from a line
// of input. A secure text field is read without echo when the input is a terminal; piped input
// works the same, without the echo switch. A line (possibly empty) taps OK with that text; end of
// input taps Cancel. The prompt runs as a task of the host's run loop, so the host thread waits
// for the line like for a modal dialog; an alert dismissed before its prompt runs is not shown (one
// dismissed while its line is being read stays on the terminal, and its answer does nothing).
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "UI/ViewController.hpp"

namespace ekyc {

class TerminalViewController : public ViewController {
 public:
  // The longest line kept; the rest of a longer line is read and dropped.
  static constexpr std::size_t MAX_LINE_LENGTH = 1024;

  explicit TerminalViewController(std::shared_ptr<RunLoop> runLoop = nullptr, int inputFd = 0, int outputFd = 1);

  void present(std::shared_ptr<AlertController> viewControllerToPresent, bool animated) override;

 private:
  static void prompt(AlertController& alert, int inputFd, int outputFd);
  // A line of input without its end; absent at end of input before any character.
  static std::optional<std::string> readLine(int inputFd, int outputFd, bool hideInput);
  static void write(int outputFd, const std::string& text);

  int inputFd_;
  int outputFd_;
};

}  // namespace ekyc
