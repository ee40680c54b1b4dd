#include "UI/InputPinDialog.hpp"

#include <atomic>
#include <iostream>
#include <utility>

#include "Platform/HostCall.hpp"
#include "UI/AlertController.hpp"
#include "UI/RunLoop.hpp"
#include "UI/ViewController.hpp"

namespace ekyc {

void InputPinDialog::show(const std::shared_ptr<ViewController>& viewController, const std::string& title,
                          const std::string& message, const std::string& placeholder,
                          const std::string& uiAlertActionOKTitle, const std::string& uiAlertActionCancelTitle,
                          const std::string& otherActionUsedPin, std::function<void()> completationHandler) {
  // Shared by both actions and a dismissal; only one of them ever runs it. The dialog itself holds
  // it weakly: the completion usually holds the dialog.
  auto completion = std::make_shared<std::function<void()>>(std::move(completationHandler));
  // Keeps a shared dialog alive until it completes; a dialog not owned by a shared_ptr must be
  // kept alive by its caller.
  const auto self = weak_from_this().lock();

  if (!viewController) {
    canceled(*completion);
    return;
  }

  // The answer takes effect on the host thread and never inside show(): at once when the tap
  // comes from a task of the host's run loop after show() has presented the alert, else as a task
  // of that loop (a view controller may tap from another thread, or inside present()).
  const auto runLoop = viewController->runLoop();
  const auto presenting = std::make_shared<std::atomic<bool>>(true);
  const auto onHostThread = [runLoop, presenting](std::function<void()> answer) {
    if (!presenting->load() && runLoop->isHostThread()) {
      answer();
    } else {
      runLoop->post(std::move(answer));
    }
  };

  auto alert = std::make_shared<AlertController>(title, message, AlertControllerStyle::alert);
  alert->addTextField([&](AlertTextField& field) {
    field.isSecureTextEntry = true;
    field.placeholder = placeholder;
    if (!otherActionUsedPin.empty()) field.text = otherActionUsedPin;
  });
  std::weak_ptr<AlertController> weakAlert = alert;
  alert->addAction(AlertAction(uiAlertActionOKTitle, AlertActionStyle::defaultStyle,
                               [this, self, weakAlert, completion, onHostThread](const AlertAction&) {
                                 // The field as it stands when OK is tapped.
                                 const auto shown = weakAlert.lock();
                                 std::string text = shown && !shown->textFields().empty()
                                                        ? shown->textFields().front().text
                                                        : std::string();
                                 onHostThread([this, self, completion, text = std::move(text)] {
                                   dialogPin = text;
                                   complete(*completion);
                                 });
                               }));
  alert->addAction(AlertAction(uiAlertActionCancelTitle, AlertActionStyle::cancel,
                               [this, self, completion, onHostThread](const AlertAction&) {
                                 onHostThread([this, self, completion] { canceled(*completion); });
                               }));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    alert_ = alert;
    runLoop_ = runLoop;
    completion_ = completion;
  }
  callHost("the view controller", [&] { viewController->present(std::move(alert), true); });
  presenting->store(false);
}

void InputPinDialog::dismiss() {
  const auto self = weak_from_this().lock();
  std::shared_ptr<AlertController> alert;
  std::shared_ptr<RunLoop> runLoop;
  std::shared_ptr<std::function<void()>> completion;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    alert = alert_.lock();
    runLoop = runLoop_;
    completion = completion_.lock();
  }
  if (!self || !alert || !runLoop || !completion || !alert->dismiss()) return;
  runLoop->post([self, completion] { self->canceled(*completion); });
}

void InputPinDialog::canceled(std::function<void()>& completion) {
  std::cerr << "isCanceled" << std::endl;
  isCanceled = true;
  complete(completion);
}

void InputPinDialog::complete(std::function<void()>& completion) {
  // The completion (and what it holds) is let go of once it has run.
  if (auto run = std::exchange(completion, nullptr)) callHost("the PIN dialog's completion", run);
}

}  // namespace ekyc
