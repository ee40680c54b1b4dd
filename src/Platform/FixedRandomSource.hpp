#pragma once
// Predictable "random" bytes for tests: the given sequence, handed out in order and started again
// from the beginning when it runs out. Setting failing makes every request fail.
#include <atomic>
#include <mutex>

#include "Platform/RandomSource.hpp"

namespace ekyc {

class FixedRandomSource : public RandomSource {
 public:
  // An empty sequence hands out 00 bytes.
  explicit FixedRandomSource(Bytes sequence);
  std::optional<Bytes> randomBytes(std::size_t count) override;

  void setFailing(bool failing) { failing_ = failing; }
  // How many bytes have been handed out so far.
  std::size_t consumed() const;

 private:
  mutable std::mutex mutex_;
  Bytes sequence_;
  std::size_t position_ = 0;
  std::size_t consumed_ = 0;
  std::atomic<bool> failing_{false};
};

}  // namespace ekyc
