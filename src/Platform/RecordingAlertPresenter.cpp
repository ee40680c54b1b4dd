#include "Platform/RecordingAlertPresenter.hpp"

namespace ekyc {

void RecordingAlertPresenter::present(const std::string& text) {
  std::lock_guard lock(mutex_);
  texts_.push_back(text);
}

std::vector<std::string> RecordingAlertPresenter::texts() const {
  std::lock_guard lock(mutex_);
  return texts_;
}

void RecordingAlertPresenter::clear() {
  std::lock_guard lock(mutex_);
  texts_.clear();
}

}  // namespace ekyc
