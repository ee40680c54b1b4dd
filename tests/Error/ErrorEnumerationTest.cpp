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

TEST(ErrorEnumeration, ComposedTexts) {
  const auto retry15 = MyNumberInfoError::failVerifyRetry({.label = "暗証番号1", .retryCount = 15});
  EXPECT_EQ(retry15.localizedDescription, "暗証番号1 残り15回でロックされます。");

  const auto status = MyNumberInfoError::failHttpsCommunicationStatusCode({.httpStatus = 503});
  EXPECT_EQ(status.localizedDescription, "通信処理でエラーになりました。HTTP ステータスコード 503");
  EXPECT_EQ(status.httpStatus, 503);

  const auto items = SignatureDataAndBasicPersonalInfoError::failReadBasicPersonalInfo({.suffix = "氏名、住所", .intErrFlag = 9});
  EXPECT_EQ(items.localizedDescription, "基本4情報の取得に失敗しました。 : 氏名、住所");
  EXPECT_EQ(items.intErrFlag, 9);

  const auto replaced = MyNumberInfoError::unknown({.label = "L", .text = std::string("T")});
  EXPECT_EQ(replaced.localizedDescription, "L T");
}

TEST(ErrorEnumeration, FromCodeFindsTheCaseOrNothing) {
  const auto locked = MyNumberInfoError::fromCode(13400);
  ASSERT_TRUE(locked);
  EXPECT_EQ(locked->errorCase(), MyNumberInfoError::Case::failVerifyLocked);
  EXPECT_FALSE(ResidenceCardError::fromCode(13400));
  EXPECT_FALSE(MyNumberInfoError::fromCode(13301));
  EXPECT_FALSE(MyNumberInfoError::notSetPin().retryCount);
}

TEST(ErrorEnumeration, ValuesCompareByCaseAndPayload) {
  EXPECT_EQ(MyNumberInfoError::failVerifyRetry({.retryCount = 2}), MyNumberInfoError::failVerifyRetry({.retryCount = 2}));
  EXPECT_FALSE(MyNumberInfoError::failVerifyRetry({.retryCount = 2}) == MyNumberInfoError::failVerifyRetry({.retryCount = 3}));
  EXPECT_FALSE(MyNumberInfoError::notSetPin() == MyNumberInfoError::notSetPin({.label = "x"}));
}

}  // namespace
}  // namespace ekyc::test
