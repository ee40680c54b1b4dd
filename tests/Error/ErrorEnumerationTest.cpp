#include <expected>
#include <string>

#include <gtest/gtest.h>

#include "Error/Result.hpp"
#include "Error/MyNumberInfoError.hpp"
#include "Error/ResidenceCardError.hpp"
#include "Error/SignatureDataAndBasicPersonalInfoError.hpp"
#include "Utility/ConstResult.hpp"

namespace ekyc::test {
namespace {

using E = MyNumberInfoError;

TEST(ErrorEnumeration, ComposedTexts) {
  const auto retry15 = E::failVerifyRetry({.label = "暗証番号1", .retryCount = 15});
  EXPECT_EQ(retry15.localizedDescription, "暗証番号1 残り15回でロックされます。");

  const auto status = E::failHttpsCommunicationStatusCode({.httpStatus = 503});
  EXPECT_EQ(status.localizedDescription, "通信処理でエラーになりました。HTTP ステータスコード 503");
  EXPECT_EQ(status.httpStatus, 503);

  const auto items = SignatureDataAndBasicPersonalInfoError::failReadBasicPersonalInfo(
      {.suffix = "氏名、住所", .intErrFlag = 9});
  EXPECT_EQ(items.localizedDescription, "基本4情報の取得に失敗しました。 : 氏名、住所");
  EXPECT_EQ(items.intErrFlag, 9);

  const auto replaced = E::unknown({.label = "L", .text = std::string("T")});
  EXPECT_EQ(replaced.localizedDescription, "L T");
}

TEST(ErrorEnumeration, FromCodeFindsTheCaseOrNothing) {
  const auto locked = E::fromCode(13400);
  ASSERT_TRUE(locked);
  EXPECT_EQ(locked->errorCase(), E::Case::failVerifyLocked);
  EXPECT_FALSE(ResidenceCardError::fromCode(13400));
  EXPECT_FALSE(E::fromCode(13301));
  EXPECT_FALSE(E::notSetPin().retryCount);
}

TEST(ErrorEnumeration, ValuesCompareByCaseAndPayload) {
  EXPECT_EQ(E::failVerifyRetry({.retryCount = 2}), E::failVerifyRetry({.retryCount = 2}));
  EXPECT_FALSE(E::failVerifyRetry({.retryCount = 2}) == E::failVerifyRetry({.retryCount = 3}));
  EXPECT_FALSE(E::notSetPin() == E::notSetPin({.label = "x"}));
}

}  // namespace
}  // namespace ekyc::test
