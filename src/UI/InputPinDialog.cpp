#include "UI/InputPinDialog.hpp"

#include <iostream>

#include "UI/AlertController.hpp"
#include "UI/ViewController.hpp"

namespace ekyc {

void InputPinDialog::show(const std::shared_ptr<ViewController>& viewController, const std::string& title,
                          const std::string& message, const std::string& placeholder,
                          const std::string& uiAlertActionOKTitle, const std::string& uiAlertActionCancelTitle,
                          const std::string& otherActionUsedPin, std::function<void()> completationHandler) {
  // Shared by both actions; only one of them ever runs (an alert takes one tap).
  auto completion = std::make_shared<std::function<void()>>(std::move(completationHandler));
  // Keeps a shared dialog alive until it completes; a dialog not owned by a shared_ptr must be
  // kept alive by its caller.
  const auto self = weak_from_this().lock();

  if (!viewController) {
    std::cout << "isCanceled" << std::endl;
    isCanceled = true;
    if (*completion) (*completion)();
    return;
  }

  auto alert = std::make_shared<AlertController>(title, message, AlertControllerStyle::alert);
  alert->addTextField([&](AlertTextField& field) {
    field.isSecureTextEntry = true;
    field.placeholder = placeholder;
    if (!otherActionUsedPin.empty()) field.text = otherActionUsedPin;
  });
  std::weak_ptr<AlertController> weakAlert = alert;
  alert->addAction(AlertAction(uiAlertActionOKTitle, AlertActionStyle::defaultStyle,
                               [this, self, weakAlert, completion](const AlertAction&) {
                                 const auto shown = weakAlert.lock();
                                 dialogPin = shown && !shown->textFields().empty()
                                                 ? shown->textFields().front().text
                                                 : std::string();
                                 if (*completion) (*completion)();
                               }));
  alert->addAction(AlertAction(uiAlertActionCancelTitle, AlertActionStyle::cancel,
                               [this, self, completion](const AlertAction&) {
                                 std::cout << "isCanceled" << std::endl;
                                 isCanceled = true;
                                 if (*completion) (*completion)();
                               }));
  viewController->present(std::move(alert), true);
}

}  // namespace ekyc
