#pragma once
// A modal alert: title, message, text fields and actions. A view controller presents it; tapping
// one action dismisses it and runs that action's handler, once. Presented alerts are used on the
// host thread.
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "UI/AlertAction.hpp"

namespace ekyc {

enum class AlertControllerStyle { alert, actionSheet };

struct AlertTextField {
  std::string placeholder;
  std::string text;
  bool isSecureTextEntry = false;
};

class AlertController : public std::enable_shared_from_this<AlertController> {
 public:
  AlertController(std::string title, std::string message, AlertControllerStyle preferredStyle);

  const std::string& title() const { return title_; }
  const std::string& message() const { return message_; }
  AlertControllerStyle preferredStyle() const { return preferredStyle_; }

  // Adds a text field, set up by the handler.
  void addTextField(const std::function<void(AlertTextField&)>& configurationHandler);
  std::vector<AlertTextField>& textFields() { return textFields_; }
  const std::vector<AlertTextField>& textFields() const { return textFields_; }

  void addAction(AlertAction action);
  const std::vector<AlertAction>& actions() const { return actions_; }
  // The first action of this style, if any.
  std::optional<std::size_t> actionIndex(AlertActionStyle style) const;

  // Taps an action: the alert is dismissed and the action's handler runs. Only the first tap of
  // an alert does anything; returns whether this one did. The alert then drops every handler.
  bool tap(std::size_t actionIndex);
  // Takes the alert down without a tap, from any thread: no action runs, and a later tap does
  // nothing. Returns whether the alert was still up. The handlers go with the alert.
  bool dismiss() { return !dismissed_.exchange(true); }
  bool isDismissed() const { return dismissed_.load(); }

 private:
  std::string title_;
  std::string message_;
  AlertControllerStyle preferredStyle_;
  std::vector<AlertTextField> textFields_;
  std::vector<AlertAction> actions_;
  std::atomic<bool> dismissed_{false};
};

}  // namespace ekyc
