#pragma once
// Date and time. The library asks the Platform's clock; null there means the system clock.
//
// Japanese card texts and consent documents use Tokyo time: UTC+9 (Japan keeps no daylight saving),
// the Gregorian calendar, and ASCII digits whatever the process locale.
#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace ekyc {

class Clock {
 public:
  using TimePoint = std::chrono::system_clock::time_point;

  virtual ~Clock() = default;
  virtual TimePoint now() const = 0;

  // The operating system's clock.
  static std::shared_ptr<Clock> system();

  // Formats a time in Tokyo time with a date pattern in the usual letters:
  //   yyyy year (at least four digits), yy last two digits of the year, MM / M month,
  //   dd / d day, HH / H hour 00-23, mm minute, ss second, SSS milliseconds.
  // Text in single quotes is copied ('' is a quote); every character that is not a letter is copied.
  // Example: "yyyy/MM/dd HH:mm:ss" gives "2024/03/05 09:07:30" for 2024-03-05T00:07:30Z.
  static std::string formatTokyo(TimePoint time, std::string_view pattern);
  std::string nowTokyo(std::string_view pattern) const { return formatTokyo(now(), pattern); }
};

}  // namespace ekyc
