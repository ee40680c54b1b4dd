#pragma once
// The operating system's clock.
#include "Platform/Clock.hpp"

namespace ekyc {

class SystemClock : public Clock {
 public:
  TimePoint now() const override { return std::chrono::system_clock::now(); }
};

}  // namespace ekyc
