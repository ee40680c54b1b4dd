#include "Platform/FixedRandomSource.hpp"

namespace ekyc {

FixedRandomSource::FixedRandomSource(Bytes sequence) : sequence_(std::move(sequence)) {}

std::optional<Bytes> FixedRandomSource::randomBytes(std::size_t count) {
  if (failing_) return std::nullopt;
  std::lock_guard lock(mutex_);
  Bytes out(count, 0x00);
  if (!sequence_.empty()) {
    for (auto& byte : out) {
      byte = sequence_[position_];
      position_ = (position_ + 1) % sequence_.size();
    }
  }
  consumed_ += count;
  return out;
}

std::size_t FixedRandomSource::consumed() const {
  std::lock_guard lock(mutex_);
  return consumed_;
}

}  // namespace ekyc
