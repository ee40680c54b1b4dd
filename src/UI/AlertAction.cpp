#include "UI/AlertAction.hpp"

namespace ekyc {

AlertAction::AlertAction(std::string title, AlertActionStyle style, Handler handler)
    : title_(std::move(title)), style_(style), handler_(std::move(handler)) {}

void AlertAction::perform() const {
  if (handler_) handler_(*this);
}

}  // namespace ekyc
