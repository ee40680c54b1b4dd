#include "Platform/Clock.hpp"

#include <cstdio>

#include "Platform/SystemClock.hpp"

namespace ekyc {

namespace {

void appendNumber(std::string& out, long long value, int minDigits) {
  char buffer[32];
  const int n = std::snprintf(buffer, sizeof buffer, "%0*lld", minDigits, value);
  if (n > 0) out.append(buffer, static_cast<std::size_t>(n));
}

}  // namespace

std::shared_ptr<Clock> Clock::system() { return std::make_shared<SystemClock>(); }

std::string Clock::formatTokyo(TimePoint time, std::string_view pattern) {
  using namespace std::chrono;
  const auto tokyo = time_point_cast<milliseconds>(time) + hours(9);
  const auto day = floor<days>(tokyo);
  const year_month_day date{day};
  const hh_mm_ss<milliseconds> clock{tokyo - day};

  std::string out;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    if (c == '\'') {
      if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
        out += '\'';
        i += 2;
        continue;
      }
      ++i;
      while (i < pattern.size()) {
        if (pattern[i] == '\'') {
          if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
            out += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        out += pattern[i++];
      }
      continue;
    }
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter) {
      out += c;
      ++i;
      continue;
    }
    std::size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) ++run;
    const int width = static_cast<int>(run);
    switch (c) {
      case 'y':
        if (run == 2) {
          appendNumber(out, ((static_cast<int>(date.year()) % 100) + 100) % 100, 2);
        } else {
          appendNumber(out, static_cast<int>(date.year()), width);
        }
        break;
      case 'M': appendNumber(out, static_cast<unsigned>(date.month()), width); break;
      case 'd': appendNumber(out, static_cast<unsigned>(date.day()), width); break;
      case 'H': appendNumber(out, clock.hours().count(), width); break;
      case 'm': appendNumber(out, clock.minutes().count(), width); break;
      case 's': appendNumber(out, clock.seconds().count(), width); break;
      case 'S': {
        // Fraction of a second, truncated (or zero-extended) to the run's length.
        std::string ms;
        appendNumber(ms, clock.subseconds().count(), 3);
        ms.resize(run, '0');
        out += ms;
        break;
      }
      default: out.append(run, c); break;
    }
    i += run;
  }
  return out;
}

}  // namespace ekyc
