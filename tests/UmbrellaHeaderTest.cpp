#include <gtest/gtest.h>

#include "ekyc.hpp"
#include "Platform/VirtualCard/TestSupport.hpp"

// The one public include brings the facade, the records and the platform layer together.
TEST(UmbrellaHeader, BringsTheWholeInterface) {
  ekyc::Platform platform;
  EXPECT_FALSE(ekyc::NFCTagReaderSession::readingAvailable(platform));
  EXPECT_EQ(ekyc::allSetPinKeys().size(), 9u);
}
