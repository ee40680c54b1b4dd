#include "UI/ScriptedViewController.hpp"

namespace ekyc {

ScriptedViewController::ScriptedViewController(std::shared_ptr<RunLoop> runLoop) : ViewController(std::move(runLoop)) {}

void ScriptedViewController::enqueue(Answer answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  script_.push_back(std::move(answer));
}

void ScriptedViewController::present(std::shared_ptr<AlertController> alert, bool animated) {
  if (!alert) return;
  Answer answer;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Presentation shown{alert->title(), alert->message(), alert->textFields(), {}, {}, animated};
    for (const auto& action : alert->actions()) {
      shown.actionTitles.push_back(action.title());
      shown.actionStyles.push_back(action.style());
    }
    presentations_.push_back(std::move(shown));
    alerts_.push_back(alert);
    if (!script_.empty()) {
      answer = std::move(script_.front());
      script_.pop_front();
    }
  }
  switch (answer.kind) {
    case Answer::Kind::ok:
      runLoop()->post([alert, text = std::move(answer.text)] {
        if (!alert->textFields().empty()) alert->textFields().front().text = text;
        const auto index = alert->actionIndex(AlertActionStyle::defaultStyle);
        if (index) alert->tap(*index);
      });
      break;
    case Answer::Kind::cancel:
      runLoop()->post([alert] {
        const auto index = alert->actionIndex(AlertActionStyle::cancel);
        if (index) alert->tap(*index);
      });
      break;
    case Answer::Kind::never:
      break;
  }
}

std::vector<ScriptedViewController::Presentation> ScriptedViewController::presentations() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return presentations_;
}

std::size_t ScriptedViewController::presentedCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return presentations_.size();
}

std::vector<std::shared_ptr<AlertController>> ScriptedViewController::alerts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return alerts_;
}

void ScriptedViewController::dismissUnanswered() {
  std::vector<std::shared_ptr<AlertController>> dropped;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& alert : alerts_)
      if (!alert->isDismissed()) dropped.push_back(std::move(alert));
    std::erase(alerts_, nullptr);
  }
}

}  // namespace ekyc
