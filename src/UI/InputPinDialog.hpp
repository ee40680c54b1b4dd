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
#include <mutex>
#include <optional>
#include <string>

namespace ekyc {

class AlertController;
class RunLoop;
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

  // Takes the presented dialog down, from any thread, when nobody is to answer it any more: it
  // ends as Cancel ends ("isCanceled" on the console, `isCanceled` set, the completion run as a
  // task of the host's run loop, never inside this call). Nothing happens once the dialog has
  // been answered or before it is shown.
  void dismiss();

 private:
  // Runs the completion, once; it is let go of afterwards.
  static void complete(std::function<void()>& completion);
  void canceled(std::function<void()>& completion);

  // What dismiss() needs, set while showing.
  std::mutex mutex_;
  std::weak_ptr<AlertController> alert_;
  std::shared_ptr<RunLoop> runLoop_;
  std::weak_ptr<std::function<void()>> completion_;
};

}  // namespace ekyc
