#include "UI/AlertController.hpp"

namespace ekyc {

AlertController::AlertController(std::string title, std::string message, AlertControllerStyle preferredStyle)
    : title_(std::move(title)), message_(std::move(message)), preferredStyle_(preferredStyle) {}

void AlertController::addTextField(const std::function<void(AlertTextField&)>& configurationHandler) {
  AlertTextField field;
  if (configurationHandler) configurationHandler(field);
  textFields_.push_back(std::move(field));
}

void AlertController::addAction(AlertAction action) { actions_.push_back(std::move(action)); }

std::optional<std::size_t> AlertController::actionIndex(AlertActionStyle style) const {
  for (std::size_t i = 0; i < actions_.size(); ++i)
    if (actions_[i].style() == style) return i;
  return std::nullopt;
}

bool AlertController::tap(std::size_t actionIndex) {
  if (actionIndex >= actions_.size()) return false;
  if (dismissed_.exchange(true)) return false;
  // Keep the alert alive while its handler runs: the presenter may let go of it meanwhile.
  const auto self = weak_from_this().lock();
  // A dismissed alert lets go of its handlers (and what they hold) once the tapped one has run.
  const AlertAction tapped = actions_[actionIndex];
  for (auto& action : actions_) action = AlertAction(action.title(), action.style(), nullptr);
  tapped.perform();
  return true;
}

}  // namespace ekyc
