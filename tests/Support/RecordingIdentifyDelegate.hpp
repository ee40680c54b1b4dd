#pragma once
// A back channel that records every call, in order, from any thread.
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "CoreNFC/IdentifyDelegate.hpp"

namespace ekyc::test {

class RecordingIdentifyDelegate : public IdentifyDelegate {
 public:
  struct Call {
    enum class Kind { didGetPin, didClearInstance, didGetFailedPin } kind;
    std::string pin;
    std::optional<SetPinKey> setPinKey;
    std::optional<int> pinRemainNum;
  };

  void didGetPin(const std::string& pin) override { record({Call::Kind::didGetPin, pin, {}, {}}); }
  void didClearInstance() override { record({Call::Kind::didClearInstance, {}, {}, {}}); }
  void didGetFailedPin(SetPinKey setPinKey, std::optional<int> pinRemainNum) override {
    record({Call::Kind::didGetFailedPin, {}, setPinKey, pinRemainNum});
  }

  std::vector<Call> calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }

 private:
  void record(Call call) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(std::move(call));
  }
  mutable std::mutex mutex_;
  std::vector<Call> calls_;
};

}  // namespace ekyc::test
