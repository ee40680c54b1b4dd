#pragma once
// The PIN dialog: one secure text field, OK and Cancel, presented on the host's view controller.
//
// Create it with std::make_shared (a pending dialog keeps itself alive until it completes) and
// read `dialogPin` / `isCanceled` in the completion:
//
//   auto dialog = std::make_shared<InputPinDialog>();
//   dialog->show(viewController, texts.pin1DialogTitle, texts.pin1DialogMessage,
//                texts.pin1DialogPlaceholder, texts.dialogActionTitleOK,
//                texts.dialogActionTitleCancel, "", [self, dialog] {
//                  if (dialog->dialogPin) ...; else if (dialog->isCanceled) ...;
//                });
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ekyc {

class ViewController;

class InputPinDialog : public std::enable_shared_from_this<InputPinDialog> {
 public:
  // The text of the field when OK was tapped (possibly empty); absent otherwise.
  std::optional<std::string> dialogPin;
  // True once Cancel was tapped.
  bool isCanceled = false;

  InputPinDialog() = default;

  // Presents the dialog and returns at once. The field shows `placeholder` and, when it is not
  // empty, `otherActionUsedPin` as its text. OK stores the field's text in `dialogPin`; Cancel
  // writes "isCanceled" to the console (stderr: a host's stdout stays clean) and sets `isCanceled`; either then runs
  // `completationHandler` once, on the host thread (the thread running the view controller's run
  // loop) and never before show returns, whatever thread the view controller taps the alert on.
  // Without a view controller nothing can be shown:
  // the dialog counts as cancelled and the completion runs at once.
  void show(const std::shared_ptr<ViewController>& viewController, const std::string& title,
            const std::string& message, const std::string& placeholder, const std::string& uiAlertActionOKTitle,
            const std::string& uiAlertActionCancelTitle, const std::string& otherActionUsedPin,
            std::function<void()> completationHandler);
};

}  // namespace ekyc
