#pragma once
// An alert presenter that keeps every text it was given, in order (for tests and tools).
#include <mutex>
#include <string>
#include <vector>

#include "Platform/NFCAlertPresenter.hpp"

namespace ekyc {

class RecordingAlertPresenter : public NFCAlertPresenter {
 public:
  void present(const std::string& text) override;
  std::vector<std::string> texts() const;
  void clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> texts_;
};

}  // namespace ekyc
