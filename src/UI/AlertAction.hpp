#pragma once
// One button of an alert: a title, a style and the handler that runs when it is tapped.
#include <functional>
#include <string>

namespace ekyc {

enum class AlertActionStyle { defaultStyle, cancel, destructive };

class AlertAction {
 public:
  using Handler = std::function<void(const AlertAction&)>;

  AlertAction(std::string title, AlertActionStyle style, Handler handler);

  const std::string& title() const { return title_; }
  AlertActionStyle style() const { return style_; }
  // Runs the handler (if any) with this action.
  void perform() const;

 private:
  std::string title_;
  AlertActionStyle style_;
  Handler handler_;
};

}  // namespace ekyc
