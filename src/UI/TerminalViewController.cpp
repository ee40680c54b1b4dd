#include "UI/TerminalViewController.hpp"

#include <cerrno>
#include <termios.h>
#include <unistd.h>

namespace ekyc {

namespace {

// Turns echo off on a terminal for its lifetime; does nothing on other inputs.
class EchoOff {
 public:
  explicit EchoOff(int fd) : fd_(fd) {
    if (!::isatty(fd_) || ::tcgetattr(fd_, &saved_) != 0) return;
    termios quiet = saved_;
    quiet.c_lflag &= static_cast<tcflag_t>(~(ECHO | ECHOE | ECHOK | ECHONL));
    active_ = ::tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
  }
  ~EchoOff() {
    if (active_) ::tcsetattr(fd_, TCSAFLUSH, &saved_);
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;
  bool active() const { return active_; }

 private:
  int fd_;
  termios saved_{};
  bool active_ = false;
};

}  // namespace

TerminalViewController::TerminalViewController(std::shared_ptr<RunLoop> runLoop, int inputFd, int outputFd)
    : ViewController(std::move(runLoop)), inputFd_(inputFd), outputFd_(outputFd) {}

void TerminalViewController::present(std::shared_ptr<AlertController> alert, bool) {
  if (!alert) return;
  runLoop()->post([alert, in = inputFd_, out = outputFd_] { prompt(*alert, in, out); });
}

void TerminalViewController::prompt(AlertController& alert, int inputFd, int outputFd) {
  // Taken down before its turn came: nobody is to answer it.
  if (alert.isDismissed()) return;
  const auto okIndex = alert.actionIndex(AlertActionStyle::defaultStyle);
  const auto cancelIndex = alert.actionIndex(AlertActionStyle::cancel);
  std::string text = "\n[" + alert.title() + "]\n";
  if (!alert.message().empty()) text += alert.message() + "\n";
  text += "(Enter: " + (okIndex ? alert.actions()[*okIndex].title() : std::string("OK"));
  if (cancelIndex) text += ", Ctrl-D: " + alert.actions()[*cancelIndex].title();
  text += ")\n";
  bool secure = false;
  if (!alert.textFields().empty()) {
    const auto& field = alert.textFields().front();
    secure = field.isSecureTextEntry;
    text += (field.placeholder.empty() ? std::string(">") : field.placeholder + ":") + " ";
  } else {
    text += "> ";
  }
  write(outputFd, text);

  const auto line = readLine(inputFd, outputFd, secure);
  if (!line) {
    write(outputFd, "\n");
    if (cancelIndex) alert.tap(*cancelIndex);
    return;
  }
  if (!alert.textFields().empty()) alert.textFields().front().text = *line;
  if (okIndex) alert.tap(*okIndex);
}

std::optional<std::string> TerminalViewController::readLine(int inputFd, int outputFd, bool hideInput) {
  std::optional<EchoOff> echoOff;
  if (hideInput) echoOff.emplace(inputFd);
  std::string line;
  bool any = false;
  for (;;) {
    char c = 0;
    const auto n = ::read(inputFd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    any = true;
    if (c == '\n') break;
    if (line.size() < MAX_LINE_LENGTH) line.push_back(c);
  }
  if (echoOff && echoOff->active()) write(outputFd, "\n");
  if (!any) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void TerminalViewController::write(int outputFd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const auto n = ::write(outputFd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace ekyc
