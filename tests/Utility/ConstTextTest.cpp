#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "Pin/SetPinKey.hpp"
#include "Utility/Const.hpp"
#include "Utility/ConstCharset.hpp"
#include "Utility/ConstDataLength.hpp"
#include "Utility/ConstTag.hpp"

using namespace ekyc;

TEST(SetPinKey, NineSlotsWithTheirNames) {
  const auto keys = allSetPinKeys();
  std::set<std::string> names;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    EXPECT_EQ(static_cast<std::size_t>(keys[i]), i);
    names.insert(toString(keys[i]));
  }
  EXPECT_EQ(names.size(), 9u);
  EXPECT_EQ(toString(SetPinKey::RESIDENCECARD_PIN), "RESIDENCECARD_PIN");
  EXPECT_EQ(toString(keys[3]), "MYNUMBERCARD_SIGNER_PIN");
  EXPECT_EQ(toString(keys[8]), "MYNA_DRIVERLICENSE_PIN");
}
