#pragma once
// A view controller for tests: answers each presented alert from a script (OK with a text,
// Cancel, or never) and records what was presented. Answers are taps posted to the run loop, so
// the handlers run on the host thread like a user's taps.
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "UI/ViewController.hpp"

namespace ekyc {

class ScriptedViewController : public ViewController {
 public:
  struct Answer {
    enum class Kind { ok, cancel, never };
    Kind kind = Kind::never;
    std::string text;

    // Types `text` into the first text field (replacing its content) and taps OK.
    static Answer OK(std::string text) { return Answer{Kind::ok, std::move(text)}; }
    static Answer Cancel() { return Answer{Kind::cancel, {}}; }
    // Leaves the alert up.
    static Answer Never() { return Answer{Kind::never, {}}; }
  };

  // What one presented alert showed.
  struct Presentation {
    std::string title;
    std::string message;
    std::vector<AlertTextField> textFields;  // as configured, before any answer
    std::vector<std::string> actionTitles;
    std::vector<AlertActionStyle> actionStyles;
    bool animated = false;
  };

  explicit ScriptedViewController(std::shared_ptr<RunLoop> runLoop = nullptr);

  // Answers for the next alerts, in order. With the script exhausted an alert is never answered.
  void enqueue(Answer answer);

  void present(std::shared_ptr<AlertController> viewControllerToPresent, bool animated) override;

  std::vector<Presentation> presentations() const;
  std::size_t presentedCount() const;
  // The alerts presented so far (a test may tap one itself).
  std::vector<std::shared_ptr<AlertController>> alerts() const;
  // Lets go of the alerts never answered, as if their presenter went away: their handlers (and
  // whatever those keep alive) are released without running.
  void dismissUnanswered();

 private:
  mutable std::mutex mutex_;
  std::deque<Answer> script_;
  std::vector<Presentation> presentations_;
  std::vector<std::shared_ptr<AlertController>> alerts_;
};

}  // namespace ekyc
