#pragma once
// Starting the private pcscd in a test. Where pcscd cannot run the PC/SC tests skip, saying why;
// CI sets EKYC_REQUIRE_PCSC=1, and there a pcscd that does not come up is a failure, not a skip.
#include <cstdlib>
#include <string_view>

#include <gtest/gtest.h>

#include "Platform/VirtualCard/PcscDaemon.hpp"

namespace ekyc::test {

inline bool pcscRequired() {
  const char* value = std::getenv("EKYC_REQUIRE_PCSC");
  return value != nullptr && std::string_view(value) == "1";
}

}  // namespace ekyc::test

// In SetUp: starts the daemon into `daemon`, or skips (fails where PC/SC is required) with the reason.
#define EKYC_START_PCSCD_OR_SKIP(daemon)                                                   \
  do {                                                                                     \
    std::string ekycWhyNot_;                                                               \
    (daemon) = ::ekyc::PcscDaemon::start(ekycWhyNot_);                                     \
    if (!(daemon)) {                                                                       \
      if (::ekyc::test::pcscRequired()) FAIL() << "pcscd did not come up: " << ekycWhyNot_; \
      GTEST_SKIP() << "pcscd cannot run here: " << ekycWhyNot_;                            \
    }                                                                                      \
  } while (false)
