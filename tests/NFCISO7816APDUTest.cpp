#include <gtest/gtest.h>

#include "Platform/NFCISO7816APDU.hpp"

using namespace ekyc;

TEST(NFCISO7816APDU, ShortAndExtendedForms) {
  // Case 1: header only.
  EXPECT_EQ(NFCISO7816APDU(0x00, 0xA4, 0x00, 0x00, {}, std::nullopt).encoded(), (Bytes{0x00, 0xA4, 0x00, 0x00}));
  // Case 3 short: SELECT EF with Lc.
  EXPECT_EQ(NFCISO7816APDU(0x00, 0xA4, 0x02, 0x0C, {0x00, 0x1B}, std::nullopt).encoded(),
            (Bytes{0x00, 0xA4, 0x02, 0x0C, 0x02, 0x00, 0x1B}));
  // Case 2 short: Le 256 encodes as 00, Le 17 as 11.
  EXPECT_EQ(NFCISO7816APDU(0x00, 0xB0, 0, 0, {}, 256).encoded(), (Bytes{0x00, 0xB0, 0, 0, 0x00}));
  // Case 2 extended: Le 5498 = 0x157A.
  EXPECT_EQ(NFCISO7816APDU(0x00, 0xB0, 0, 0, {}, 5498).encoded(), (Bytes{0x00, 0xB0, 0, 0, 0x00, 0x15, 0x7A}));
  // Case 2 extended: Le 65536 as 00 00 00.
  EXPECT_EQ(NFCISO7816APDU(0x00, 0xB0, 0, 0, {}, 65536).encoded(), (Bytes{0x00, 0xB0, 0, 0, 0x00, 0x00, 0x00}));
  // Case 4 extended: 300 data bytes force the extended form for Lc and Le together.
  Bytes big(300, 0x01);
  Bytes expected{0x00, 0x2A, 0, 0, 0x00, 0x01, 0x2C};
  expected.resize(expected.size() + big.size(), 0x01);  // the data
  expected.push_back(0x01);
  expected.push_back(0x00);
  EXPECT_EQ(NFCISO7816APDU(0x00, 0x2A, 0, 0, big, 256).encoded(), expected);
}

TEST(NFCISO7816APDU, RawCommandsAndLeChange) {
  auto raw = NFCISO7816APDU::raw({0x00, 0xB0, 0x00, 0x00, 0x10});
  EXPECT_EQ(raw.withExpectedResponseLength(0x08).encoded(), (Bytes{0x00, 0xB0, 0x00, 0x00, 0x08}));
  auto read = NFCISO7816APDU(0x00, 0xB0, 0, 0, {}, 256).withExpectedResponseLength(0x20);
  EXPECT_EQ(read.encoded(), (Bytes{0x00, 0xB0, 0, 0, 0x20}));
}
