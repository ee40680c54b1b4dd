#pragma once
// A clock that tests set: it stands still at the time it was given until set or advanced.
#include <atomic>

#include "Platform/Clock.hpp"

namespace ekyc {

class FixedClock : public Clock {
 public:
  explicit FixedClock(TimePoint time) : ticks_(time.time_since_epoch().count()) {}
  // A time given as seconds since 1970-01-01T00:00:00Z.
  static FixedClock atUnixSeconds(long long seconds) {
    return FixedClock(TimePoint(std::chrono::seconds(seconds)));
  }

  TimePoint now() const override { return TimePoint(TimePoint::duration(ticks_.load())); }
  void set(TimePoint time) { ticks_ = time.time_since_epoch().count(); }
  void advance(TimePoint::duration by) { ticks_ += by.count(); }

 private:
  std::atomic<TimePoint::rep> ticks_;
};

}  // namespace ekyc
