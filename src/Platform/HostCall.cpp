#include "Platform/HostCall.hpp"

#include <cstdio>
#include <exception>
#include <string>

namespace ekyc {

void hostCodeThrew(const char* who) noexcept {
  std::string what = "an exception that is not a std::exception";
  try {
    throw;
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
  }
  // stdio, not iostreams: nothing here may throw, whatever the host did to std::cerr.
  std::fprintf(stderr, "nfc-ekyc: %s threw (%s); host callbacks must not throw, ending the program\n", who,
               what.c_str());
  std::fflush(stderr);
  std::terminate();
}

}  // namespace ekyc
